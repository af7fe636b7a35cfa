<?php

if (realpath((string) ($_SERVER['SCRIPT_FILENAME'] ?? '')) === __FILE__) {
    http_response_code(404);
    exit;
}

// Settings come from the environment so that tests and deployments need no edited files.
final class Config
{
    // Beside the site's folder, not in it: whatever a web server serves from the site, the
    // database is not among it.
    public static function databasePath(): string
    {
        return self::text('VORLAN_DB') ?? dirname(__DIR__, 2) . '/vorlan-data/vorlan.sqlite';
    }

    // A PDO data source name; null means SQLite at databasePath().
    public static function dsn(): ?string
    {
        return self::text('VORLAN_DSN');
    }

    public static function databaseUser(): ?string
    {
        return self::text('VORLAN_DB_USER');
    }

    public static function databasePassword(): ?string
    {
        return self::text('VORLAN_DB_PASSWORD');
    }

    // Keeps each PHP process's connection to a database server open between requests.
    public static function persistentConnection(): bool
    {
        return self::text('VORLAN_DB_PERSISTENT') === '1';
    }

    // Null when the owner has not chosen a password through the environment.
    public static function sitePassword(): ?string
    {
        return self::text('VORLAN_SITE_PASSWORD');
    }

    // The events address that get.php names to clients; null when the site offers no channel.
    public static function eventsUrl(): ?string
    {
        return self::text('VORLAN_EVENTS_URL');
    }

    // The loopback address of the push engine's publisher endpoint; null when none is configured.
    public static function publishUrl(): ?string
    {
        return self::text('VORLAN_PUBLISH_URL');
    }

    private static function text(string $name): ?string
    {
        $value = getenv($name);
        return is_string($value) && $value !== '' ? $value : null;
    }
}
