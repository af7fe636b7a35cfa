<?php

if (realpath((string) ($_SERVER['SCRIPT_FILENAME'] ?? '')) === __FILE__) {
    http_response_code(404);
    exit;
}

// One connection per request: SQLite at Config::databasePath() by default, or any server
// that Config::dsn() names (PostgreSQL; MariaDB and MySQL). The schema is created and
// upgraded on first use, one numbered step at a time.
final class Database
{
    private const SCHEMA_VERSION = 3;

    private const DENY_ALL = "# The database must never be served as a file.\n"
        . "<IfModule mod_authz_core.c>\n    Require all denied\n</IfModule>\n"
        . "<IfModule !mod_authz_core.c>\n    Order allow,deny\n    Deny from all\n</IfModule>\n";

    private const OPTIONS = [
        PDO::ATTR_ERRMODE => PDO::ERRMODE_EXCEPTION,
        PDO::ATTR_DEFAULT_FETCH_MODE => PDO::FETCH_ASSOC,
        PDO::ATTR_TIMEOUT => 5,
        // Every value reaches the client as text, whatever type the engine gives a column.
        PDO::ATTR_STRINGIFY_FETCHES => true,
    ];

    private static ?PDO $connection = null;

    public static function connection(): PDO
    {
        if (self::$connection === null) {
            $dsn = Config::dsn();
            self::$connection = $dsn === null ? self::openSqlite(Config::databasePath()) : self::openServer($dsn);
            self::upgrade(self::$connection);
        }
        return self::$connection;
    }

    public static function driver(PDO $db): string
    {
        return (string) $db->getAttribute(PDO::ATTR_DRIVER_NAME);
    }

    // INSERT that leaves an existing row with the same key alone; true when it inserted.
    public static function insertNew(PDO $db, string $table, array $row): bool
    {
        $columns = implode(', ', array_keys($row));
        $marks = implode(', ', array_fill(0, count($row), '?'));
        $sql = self::driver($db) === 'mysql'
            ? "INSERT IGNORE INTO $table ($columns) VALUES ($marks)"
            : "INSERT INTO $table ($columns) VALUES ($marks) ON CONFLICT DO NOTHING";
        $insert = $db->prepare($sql);
        $insert->execute(array_values($row));
        return $insert->rowCount() === 1;
    }

    /**
     * Runs $work in a transaction that no other request's serialized work overlaps, and
     * returns what it returns. SQLite lets one writer in at a time from the transaction's
     * start; the servers queue on the schema version's row, which every database has.
     */
    public static function serialized(PDO $db, callable $work): mixed
    {
        $sqlite = self::driver($db) === 'sqlite';
        $sqlite ? $db->exec('BEGIN IMMEDIATE') : $db->beginTransaction();
        try {
            if (!$sqlite) {
                $db->query("SELECT value FROM settings WHERE name = 'schema_version' FOR UPDATE")->fetchAll();
            }
            $result = $work();
            $sqlite ? $db->exec('COMMIT') : $db->commit();
            return $result;
        } catch (Throwable $error) {
            $sqlite ? $db->exec('ROLLBACK') : $db->rollBack();
            throw $error;
        }
    }

    public static function setSetting(PDO $db, string $name, string $value): void
    {
        $sql = self::driver($db) === 'mysql'
            ? 'INSERT INTO settings (name, value) VALUES (?, ?) ON DUPLICATE KEY UPDATE value = VALUES(value)'
            : 'INSERT INTO settings (name, value) VALUES (?, ?) ON CONFLICT (name) DO UPDATE SET value = excluded.value';
        $db->prepare($sql)->execute([$name, $value]);
    }

    public static function setting(PDO $db, string $name): ?string
    {
        $select = $db->prepare('SELECT value FROM settings WHERE name = ?');
        $select->execute([$name]);
        $value = $select->fetchColumn();
        return $value === false ? null : (string) $value;
    }

    private static function openSqlite(string $path): PDO
    {
        self::prepareFolder(dirname($path));
        $pdo = new PDO('sqlite:' . $path, null, null, self::OPTIONS);
        $pdo->exec('PRAGMA foreign_keys = ON');
        return $pdo;
    }

    private static function openServer(string $dsn): PDO
    {
        $options = self::OPTIONS + [PDO::ATTR_PERSISTENT => Config::persistentConnection()];
        if (str_starts_with($dsn, 'mysql:')) {
            // Count the rows an UPDATE matched, as the other engines do, not only those it changed.
            $options[PDO::MYSQL_ATTR_FOUND_ROWS] = true;
        }
        $pdo = new PDO($dsn, Config::databaseUser(), Config::databasePassword(), $options);
        $driver = self::driver($pdo);
        if ($driver === 'mysql') {
            $pdo->exec('SET NAMES utf8mb4');
        } elseif ($driver !== 'pgsql') {
            throw new RuntimeException("unsupported database driver $driver (use sqlite, pgsql or mysql)");
        }
        return $pdo;
    }

    private static function upgrade(PDO $db): void
    {
        if (self::installedVersion($db) >= self::SCHEMA_VERSION) {
            return;
        }
        $driver = self::driver($db);
        $db->beginTransaction();
        try {
            // Requests that meet an old schema at the same moment upgrade it one after another.
            if ($driver === 'pgsql') {
                $db->exec('SELECT pg_advisory_xact_lock(7361)');
            }
            foreach (self::steps($driver, self::installedVersion($db)) as $statement) {
                $db->exec($statement);
            }
            self::setSetting($db, 'schema_version', (string) self::SCHEMA_VERSION);
            // MySQL ends a transaction at every table change.
            if ($db->inTransaction()) {
                $db->commit();
            }
        } catch (Throwable $error) {
            if ($db->inTransaction()) {
                $db->rollBack();
            }
            throw $error;
        }
        if ($driver === 'sqlite') {
            // Readers then never wait for a writer, nor a writer for readers.
            $db->exec('PRAGMA journal_mode = WAL');
        }
    }

    // 0 for a database without tables; 1 for one made before the schema carried a version.
    private static function installedVersion(PDO $db): int
    {
        $exists = [
            'sqlite' => "SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = 'settings'",
            'pgsql' => "SELECT 1 WHERE to_regclass('settings') IS NOT NULL",
            'mysql' => "SELECT 1 FROM information_schema.tables WHERE table_schema = DATABASE() AND table_name = 'settings'",
        ][self::driver($db)];
        if ($db->query($exists)->fetchColumn() === false) {
            return 0;
        }
        $version = self::setting($db, 'schema_version');
        return $version === null ? 1 : (int) $version;
    }

    /** @return list<string> the statements that bring a database from $from to the current version */
    private static function steps(string $driver, int $from): array
    {
        $key = $driver === 'mysql' ? 'VARCHAR(100)' : 'TEXT';
        $serial = [
            'sqlite' => 'INTEGER PRIMARY KEY AUTOINCREMENT',
            'pgsql' => 'BIGINT GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY',
            'mysql' => 'BIGINT AUTO_INCREMENT PRIMARY KEY',
        ][$driver];
        $tableOptions = $driver === 'mysql' ? ' ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_bin' : '';
        $steps = [
            1 => [
                "CREATE TABLE IF NOT EXISTS settings (
                    name   $key PRIMARY KEY,
                    value  TEXT NOT NULL
                )$tableOptions",
                "CREATE TABLE IF NOT EXISTS operators (
                    id          $key PRIMARY KEY,
                    name        TEXT NOT NULL,
                    registered  TEXT NOT NULL
                )$tableOptions",
                "CREATE TABLE IF NOT EXISTS calls (
                    id           $serial,
                    create_date  TEXT NOT NULL,
                    name         TEXT NOT NULL,
                    phone        TEXT NOT NULL,
                    status       $key NOT NULL DEFAULT 'new' CHECK (status IN ('new', 'processing', 'closed')),
                    operator_id  $key REFERENCES operators(id),
                    comment      TEXT,
                    closed_date  TEXT
                )$tableOptions",
                self::createIndex($driver, 'calls_by_status', 'calls (status, operator_id)'),
            ],
            2 => [
                "CREATE TABLE IF NOT EXISTS throttle (
                    kind     $key NOT NULL,
                    address  $key NOT NULL,
                    at       BIGINT NOT NULL
                )$tableOptions",
                self::createIndex($driver, 'throttle_by_address', 'throttle (kind, address, at)'),
            ],
            // A removed workplace keeps its row, so the calls it closed still name it.
            3 => ['ALTER TABLE operators ADD COLUMN removed TEXT'],
        ];
        $statements = [];
        foreach ($steps as $version => $step) {
            if ($version > $from) {
                array_push($statements, ...$step);
            }
        }
        return $statements;
    }

    private static function createIndex(string $driver, string $name, string $on): string
    {
        // MySQL knows no IF NOT EXISTS for indexes; its steps run once, under the version.
        return $driver === 'mysql' ? "CREATE INDEX $name ON $on" : "CREATE INDEX IF NOT EXISTS $name ON $on";
    }

    // A folder made here may lie below the web root, so it is closed to web servers that
    // read .htaccess. Existing folders are the owner's and left alone.
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
