<?php

if (realpath((string) ($_SERVER['SCRIPT_FILENAME'] ?? '')) === __FILE__) {
    http_response_code(404);
    exit;
}

// Counts events of one kind per client address over a sliding window, so that an address
// that repeats them too often can be told to wait.
final class Throttle
{
    public function __construct(
        private readonly PDO $db,
        private readonly string $kind,
        private readonly int $limit,
        private readonly int $windowSeconds,
    ) {
    }

    public static function clientAddress(): string
    {
        return (string) ($_SERVER['REMOTE_ADDR'] ?? 'cli');
    }

    public function isExceeded(string $address): bool
    {
        $select = $this->db->prepare('SELECT COUNT(*) FROM throttle WHERE kind = ? AND address = ? AND at > ?');
        $select->execute([$this->kind, $address, time() - $this->windowSeconds]);
        return (int) $select->fetchColumn() >= $this->limit;
    }

    public function record(string $address): void
    {
        // Events older than the window go as new ones come, so the table holds one window's worth.
        $this->db->prepare('DELETE FROM throttle WHERE kind = ? AND at <= ?')
            ->execute([$this->kind, time() - $this->windowSeconds]);
        $this->db->prepare('INSERT INTO throttle (kind, address, at) VALUES (?, ?, ?)')
            ->execute([$this->kind, $address, time()]);
    }

    public function forget(string $address): void
    {
        $this->db->prepare('DELETE FROM throttle WHERE kind = ? AND address = ?')->execute([$this->kind, $address]);
    }

    public function windowMinutes(): int
    {
        return intdiv($this->windowSeconds + 59, 60);
    }
}
