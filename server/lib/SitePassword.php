<?php

if (realpath((string) ($_SERVER['SCRIPT_FILENAME'] ?? '')) === __FILE__) {
    http_response_code(404);
    exit;
}

// The site's password is kept only as a hash. The owner chooses it through the environment;
// the stored hash follows that choice, and without one the development default is stored.
final class SitePassword
{
    public function __construct(private readonly PDO $db)
    {
    }

    public function verify(string $given): bool
    {
        return password_verify($given, $this->currentHash());
    }

    private function currentHash(): string
    {
        $select = $this->db->prepare("SELECT value FROM settings WHERE name = 'password_hash'");
        $select->execute();
        $hash = $select->fetchColumn();
        $chosen = Config::sitePassword();
        if ($chosen !== null && ($hash === false || !password_verify($chosen, $hash))) {
            return $this->store($chosen);
        }
        return $hash === false ? $this->store(Config::DEFAULT_SITE_PASSWORD) : $hash;
    }

    private function store(string $password): string
    {
        $hash = password_hash($password, PASSWORD_DEFAULT);
        $this->db->prepare("INSERT OR REPLACE INTO settings (name, value) VALUES ('password_hash', ?)")
            ->execute([$hash]);
        return $hash;
    }
}
