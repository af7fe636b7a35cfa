<?php

if (realpath((string) ($_SERVER['SCRIPT_FILENAME'] ?? '')) === __FILE__) {
    http_response_code(404);
    exit;
}

// Settings come from the environment so that tests and deployments need no edited files.
final class Config
{
    // Development default only: a real site sets VORLAN_SITE_PASSWORD before first use.
    public const DEFAULT_SITE_PASSWORD = 'vorlan';

    public static function databasePath(): string
    {
        $path = getenv('VORLAN_DB');
        return is_string($path) && $path !== '' ? $path : dirname(__DIR__) . '/data/vorlan.sqlite';
    }

    // Null when the owner has not chosen a password through the environment.
    public static function sitePassword(): ?string
    {
        $password = getenv('VORLAN_SITE_PASSWORD');
        return is_string($password) && $password !== '' ? $password : null;
    }
}
