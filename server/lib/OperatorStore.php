<?php

if (realpath((string) ($_SERVER['SCRIPT_FILENAME'] ?? '')) === __FILE__) {
    http_response_code(404);
    exit;
}

final class OperatorStore
{
    /** @var list<int> */
    private array $returned = [];

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
        $select = $this->db->prepare('SELECT 1 FROM operators WHERE id = ? AND removed IS NULL');
        $select->execute([$id]);
        return $select->fetchColumn() !== false;
    }

    public function register(string $id, string $name): void
    {
        if (!self::isWellFormedId($id)) {
            throw new Refusal('The operator id must be a braced lower-case UUID', Refusal::MALFORMED_OPERATOR_ID);
        }
        if (!Text::isSingleLine($name) || Text::isBlank($name) || Text::length($name) > self::MAX_NAME) {
            throw new Refusal('The workplace description must be one visible line of at most ' . self::MAX_NAME
                . ' characters', Refusal::BAD_REQUEST);
        }
        if (!Database::insertNew($this->db, 'operators', ['id' => $id, 'name' => $name, 'registered' => date('Y-m-d H:i:s')])) {
            throw new Refusal('This operator id is already registered', Refusal::ALREADY_REGISTERED);
        }
    }

    /** @return list<array{id: string, registered: string, name: string}> the workplaces not removed, oldest first */
    public function listed(): array
    {
        return $this->db->query('SELECT id, registered, name FROM operators WHERE removed IS NULL ORDER BY registered, id')
            ->fetchAll();
    }

    // Ends a registration: the workplace's requests are refused from now on, and the calls it
    // was processing become new again for the others to take. False for an unknown id.
    public function remove(string $id): bool
    {
        return Database::serialized($this->db, function () use ($id): bool {
            $update = $this->db->prepare('UPDATE operators SET removed = ? WHERE id = ? AND removed IS NULL');
            $update->execute([date('Y-m-d H:i:s'), $id]);
            if ($update->rowCount() !== 1) {
                return false;
            }
            $held = $this->db->prepare("SELECT id FROM calls WHERE status = 'processing' AND operator_id = ?");
            $held->execute([$id]);
            $this->returned = array_map('intval', $held->fetchAll(PDO::FETCH_COLUMN));
            $this->db->prepare("UPDATE calls SET status = 'new', operator_id = NULL WHERE status = 'processing' AND operator_id = ?")
                ->execute([$id]);
            return true;
        });
    }

    /** @return list<int> the calls the last removal gave back to the list as new */
    public function returnedCalls(): array
    {
        return $this->returned;
    }
}
