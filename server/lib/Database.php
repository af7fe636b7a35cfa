<?php

if (realpath((string) ($_SERVER['SCRIPT_FILENAME'] ?? '')) === __FILE__) {
    http_response_code(404);
    exit;
}

final class Database
{
    private const SCHEMA = [
        'CREATE TABLE IF NOT EXISTS settings (
            name  TEXT PRIMARY KEY,
            value TEXT NOT NULL
        )',
        'CREATE TABLE IF NOT EXISTS operators (
            id          TEXT PRIMARY KEY,
            name        TEXT NOT NULL,
            registered  TEXT NOT NULL
        )',
        "CREATE TABLE IF NOT EXISTS calls (
            id           INTEGER PRIMARY KEY AUTOINCREMENT,
            create_date  TEXT NOT NULL,
            name         TEXT NOT NULL,
            phone        TEXT NOT NULL,
            status       TEXT NOT NULL DEFAULT 'new' CHECK (status IN ('new', 'processing', 'closed')),
            operator_id  TEXT REFERENCES operators(id),
            comment      TEXT,
            closed_date  TEXT
        )",
        'CREATE INDEX IF NOT EXISTS calls_by_status ON calls (status, operator_id)',
    ];

    private const DENY_ALL = "# The database must never be served as a file.\n"
        . "<IfModule mod_authz_core.c>\n    Require all denied\n</IfModule>\n"
        . "<IfModule !mod_authz_core.c>\n    Order allow,deny\n    Deny from all\n</IfModule>\n";

    private static ?PDO $connection = null;

    public static function connection(): PDO
    {
        if (self::$connection === null) {
            self::$connection = self::open(Config::databasePath());
        }
        return self::$connection;
    }

    private static function open(string $path): PDO
    {
        self::prepareFolder(dirname($path));
        $pdo = new PDO('sqlite:' . $path, null, null, [
            PDO::ATTR_ERRMODE => PDO::ERRMODE_EXCEPTION,
            PDO::ATTR_DEFAULT_FETCH_MODE => PDO::FETCH_ASSOC,
            PDO::ATTR_TIMEOUT => 5,
        ]);
        $pdo->exec('PRAGMA foreign_keys = ON');
        foreach (self::SCHEMA as $statement) {
            $pdo->exec($statement);
        }
        return $pdo;
    }

    // A folder made here may lie below the web root (the default does), so it is closed
    // to web servers that read .htaccess. Existing folders are the owner's and left alone.
    private static function prepareFolder(string $folder): void
    {
        if (is_dir($folder)) {
            return;
        }
        // Another request may create it at the same moment; only a folder still missing is an error.
        if (!@mkdir($folder, 0770, true) && !is_dir($folder)) {
            throw new RuntimeException("cannot create the database folder $folder");
        }
        file_put_contents($folder . '/.htaccess', self::DENY_ALL);
    }
}
