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

    private readonly Throttle $failures;

    public function __construct(private readonly PDO $db)
    {
        $this->failures = new Throttle($db, 'password', self::MAX_FAILURES, self::LOCK_SECONDS);
    }

    // Throws the refusal that tells the operator why the password was not accepted.
    public function check(string $given): void
    {
        $address = Throttle::clientAddress();
        if ($this->failures->isExceeded($address)) {
            error_log("vorlan: registration from $address refused: locked out after repeated wrong passwords");
            throw new Refusal('Too many wrong passwords from this address; try again in '
                . $this->failures->windowMinutes() . ' minutes', Refusal::LOCKED_OUT);
        }
        $hash = $this->currentHash();
        if ($hash === null) {
            throw new Refusal('The site has no password yet: its owner must set VORLAN_SITE_PASSWORD',
                Refusal::NO_PASSWORD);
        }
        if (!password_verify($given, $hash)) {
            $this->failures->record($address);
            error_log("vorlan: wrong site password from $address");
            throw new Refusal('Wrong site password', Refusal::WRONG_PASSWORD);
        }
        $this->failures->forget($address);
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
