<?php

if (realpath((string) ($_SERVER['SCRIPT_FILENAME'] ?? '')) === __FILE__) {
    http_response_code(404);
    exit;
}

// The site's password is kept only as a hash. The owner chooses it through the environment,
// and the stored hash follows that choice. A site whose owner has chosen none accepts no
// registration at all; nor does it accept the development password that earlier versions
// stored when none was chosen.
final class SitePassword
{
    private const FORMER_DEFAULT = 'vorlan';
    private const MAX_FAILURES = 5;
    private const LOCK_SECONDS = 300;
    private const SITE_FAILURES_PER_MINUTE = 20;

    private readonly Throttle $failures;

    public function __construct(private readonly PDO $db)
    {
        $this->failures = new Throttle($db, 'password', self::MAX_FAILURES, self::LOCK_SECONDS,
            self::SITE_FAILURES_PER_MINUTE);
    }

    // Throws the refusal that tells the operator why the password was not accepted. Every
    // attempt takes its place in the count before the password is looked at, so parallel
    // guesses cannot all slip in under the limit; a right password frees its address again.
    public function check(string $given): void
    {
        $address = Throttle::clientAddress();
        if (!$this->failures->admit($address)) {
            throw $this->lockOut($address);
        }
        $hash = $this->currentHash();
        if ($hash === null) {
            throw new Refusal('The site has no password yet: its owner must set VORLAN_SITE_PASSWORD',
                Refusal::NO_PASSWORD);
        }
        if (!password_verify($given, $hash)) {
            error_log("vorlan: wrong site password from $address");
            throw new Refusal('Wrong site password', Refusal::WRONG_PASSWORD);
        }
        $this->failures->forget($address);
    }

    private function lockOut(string $address): Refusal
    {
        if ($this->failures->isNetworkExceeded($address)) {
            error_log("vorlan: registration from $address refused: locked out after repeated wrong passwords");
            return new Refusal('Too many wrong passwords from this address; try again in '
                . $this->failures->windowMinutes() . ' minutes', Refusal::LOCKED_OUT);
        }
        error_log("vorlan: registration from $address refused: too many wrong passwords on the site this minute");
        return new Refusal('Too many wrong passwords on this site; try again in a minute', Refusal::LOCKED_OUT);
    }

    private function currentHash(): ?string
    {
        $hash = Database::setting($this->db, 'password_hash');
        $chosen = Config::sitePassword();
        if ($chosen !== null) {
            return $hash !== null && password_verify($chosen, $hash) ? $hash : $this->store($chosen);
        }
        return $hash === null || password_verify(self::FORMER_DEFAULT, $hash) ? null : $hash;
    }

    private function store(string $password): string
    {
        $hash = password_hash($password, PASSWORD_DEFAULT);
        Database::setSetting($this->db, 'password_hash', $hash);
        return $hash;
    }
}
