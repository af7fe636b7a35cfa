<?php

if (realpath((string) ($_SERVER['SCRIPT_FILENAME'] ?? '')) === __FILE__) {
    http_response_code(404);
    exit;
}

// Counts events of one kind per client network over a sliding window, and across the whole
// site per minute, so that neither one network nor many addresses together can repeat them
// without end.
final class Throttle
{
    private const SITE_WINDOW_SECONDS = 60;

    public function __construct(
        private readonly PDO $db,
        private readonly string $kind,
        private readonly int $limit,
        private readonly int $windowSeconds,
        private readonly int $sitePerMinute,
    ) {
    }

    public static function clientAddress(): string
    {
        return (string) ($_SERVER['REMOTE_ADDR'] ?? 'cli');
    }

    // The network an address counts for: an IPv6 host picks any address of its /64 at will,
    // so the /64 is one client; an IPv4 address (mapped into IPv6 or not) is one client.
    public static function networkOf(string $address): string
    {
        $bytes = @inet_pton($address);
        if ($bytes === false || strlen($bytes) !== 16) {
            return $address;
        }
        if (str_starts_with($bytes, str_repeat("\0", 10) . "\xff\xff")) {
            return (string) inet_ntop(substr($bytes, 12));
        }
        return inet_ntop(substr($bytes, 0, 8) . str_repeat("\0", 8)) . '/64';
    }

    // Records one event of the address unless that would pass a limit, in one step that no
    // parallel request can split: true when it was recorded.
    public function admit(string $address): bool
    {
        $network = self::networkOf($address);
        return Database::serialized($this->db, function () use ($network): bool {
            $now = time();
            // Events older than the window go as new ones come, so the table holds one window's worth.
            $this->db->prepare('DELETE FROM throttle WHERE kind = ? AND at <= ?')
                ->execute([$this->kind, $now - max($this->windowSeconds, self::SITE_WINDOW_SECONDS)]);
            if ($this->count($now - $this->windowSeconds, $network) >= $this->limit
                || $this->count($now - self::SITE_WINDOW_SECONDS) >= $this->sitePerMinute) {
                return false;
            }
            $this->db->prepare('INSERT INTO throttle (kind, address, at) VALUES (?, ?, ?)')
                ->execute([$this->kind, $network, $now]);
            return true;
        });
    }

    // True when the address's own network, not the site as a whole, has used up its events.
    public function isNetworkExceeded(string $address): bool
    {
        return $this->count(time() - $this->windowSeconds, self::networkOf($address)) >= $this->limit;
    }

    public function forget(string $address): void
    {
        $this->db->prepare('DELETE FROM throttle WHERE kind = ? AND address = ?')
            ->execute([$this->kind, self::networkOf($address)]);
    }

    public function windowMinutes(): int
    {
        return intdiv($this->windowSeconds + 59, 60);
    }

    // Events since $since: of one network, or of the whole site when none is given.
    private function count(int $since, ?string $network = null): int
    {
        $sql = 'SELECT COUNT(*) FROM throttle WHERE kind = ? AND at > ?' . ($network === null ? '' : ' AND address = ?');
        $select = $this->db->prepare($sql);
        $select->execute($network === null ? [$this->kind, $since] : [$this->kind, $since, $network]);
        return (int) $select->fetchColumn();
    }
}
