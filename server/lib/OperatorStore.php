<?php

if (realpath((string) ($_SERVER['SCRIPT_FILENAME'] ?? '')) === __FILE__) {
    http_response_code(404);
    exit;
}

final class OperatorStore
{
    public const MAX_NAME = 200;

    public function __construct(private readonly PDO $db)
    {
    }

    public static function isWellFormedId(string $id): bool
    {
        return preg_match('/^\{[0-9a-f]{8}-[0-9a-f]{4}-[0-9a-f]{4}-[0-9a-f]{4}-[0-9a-f]{12}\}\z/', $id) === 1;
    }

    public function exists(string $id): bool
    {
        $select = $this->db->prepare('SELECT 1 FROM operators WHERE id = ?');
        $select->execute([$id]);
        return $select->fetchColumn() !== false;
    }

    public function register(string $id, string $name): void
    {
        if (!self::isWellFormedId($id)) {
            throw new Refusal('The operator id must be a braced lower-case UUID', Refusal::MALFORMED_OPERATOR_ID);
        }
        if (!Text::isSingleLine($name) || Text::length($name) > self::MAX_NAME) {
            throw new Refusal('The workplace description must be one line of at most ' . self::MAX_NAME
                . ' characters', Refusal::BAD_REQUEST);
        }
        if (!Database::insertNew($this->db, 'operators', ['id' => $id, 'name' => $name, 'registered' => date('Y-m-d H:i:s')])) {
            throw new Refusal('This operator id is already registered', Refusal::ALREADY_REGISTERED);
        }
    }
}
