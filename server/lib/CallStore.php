<?php

if (realpath((string) ($_SERVER['SCRIPT_FILENAME'] ?? '')) === __FILE__) {
    http_response_code(404);
    exit;
}

final class CallStore
{
    public const MAX_COMMENT = 10000;
    // The members of a call in the lists that clients read.
    private const LISTED_COLUMNS = 'id, create_date, name, phone, status';

    public function __construct(private readonly PDO $db)
    {
    }

    public function add(CallRequest $request): int
    {
        $sql = 'INSERT INTO calls (create_date, name, phone) VALUES (?, ?, ?)';
        // PostgreSQL's lastInsertId() needs the sequence's name; RETURNING does not.
        $returning = Database::driver($this->db) === 'pgsql';
        $insert = $this->db->prepare($returning ? "$sql RETURNING id" : $sql);
        $insert->execute([self::now(), $request->name, $request->phone]);
        return (int) ($returning ? $insert->fetchColumn() : $this->db->lastInsertId());
    }

    // The calls an operator sees: every new one, and those this operator is processing.
    public function pendingFor(string $operator): array
    {
        $select = $this->db->prepare(
            'SELECT ' . self::LISTED_COLUMNS . " FROM calls
             WHERE status = 'new' OR (status = 'processing' AND operator_id = ?)
             ORDER BY id"
        );
        $select->execute([$operator]);
        return $select->fetchAll();
    }

    // One call as the lists show it; null for an unknown id.
    public function listed(int $id): ?array
    {
        $select = $this->db->prepare('SELECT ' . self::LISTED_COLUMNS . ' FROM calls WHERE id = ?');
        $select->execute([$id]);
        $row = $select->fetch();
        return $row === false ? null : $row;
    }

    public function find(string $id): ?array
    {
        if (!self::isWellFormedId($id)) {
            return null;
        }
        $select = $this->db->prepare('SELECT * FROM calls WHERE id = ?');
        $select->execute([(int) $id]);
        $row = $select->fetch();
        return $row === false ? null : $row;
    }

    // Taking a call this operator already holds succeeds again, so a repeated click is harmless.
    public function take(string $operator, string $id): void
    {
        $update = $this->db->prepare(
            "UPDATE calls SET status = 'processing', operator_id = :operator
             WHERE id = :id AND (status = 'new' OR (status = 'processing' AND operator_id = :operator))"
        );
        $this->change($update, $id, ['operator' => $operator], $operator);
    }

    public function close(string $operator, string $id, string $comment): void
    {
        if (Text::isBlank($comment)) {
            throw new Refusal('The result of the call is empty', Refusal::EMPTY_COMMENT);
        }
        if (!Text::isMultiLine($comment) || Text::length($comment) > self::MAX_COMMENT) {
            throw new Refusal('The result of the call must be text of at most ' . self::MAX_COMMENT
                . ' characters', Refusal::BAD_REQUEST);
        }
        $update = $this->db->prepare(
            "UPDATE calls SET status = 'closed', comment = :comment, closed_date = :closed
             WHERE id = :id AND status = 'processing' AND operator_id = :operator"
        );
        // A close resent after a lost reply finds the call closed just as it asked.
        $this->change($update, $id, [
            'operator' => $operator,
            'comment' => $comment,
            'closed' => self::now(),
        ], $operator, static fn (array $call): bool => $call['status'] === 'closed'
            && $call['operator_id'] === $operator && $call['comment'] === $comment);
    }

    // The guarded update does the work atomically; only when it changes nothing is the call
    // read again, to tell the operator why, unless $alreadyDone finds the change made before.
    private function change(PDOStatement $update, string $id, array $values, string $operator,
        ?callable $alreadyDone = null): void
    {
        if (self::isWellFormedId($id)) {
            $update->execute($values + ['id' => (int) $id]);
            if ($update->rowCount() === 1) {
                return;
            }
        }
        $call = $this->find($id);
        if ($call === null) {
            throw new Refusal('There is no call with this id', Refusal::UNKNOWN_CALL);
        }
        if ($alreadyDone !== null && $alreadyDone($call)) {
            return;
        }
        if ($call['status'] === 'closed') {
            throw new Refusal('This call is already closed', Refusal::CALL_CLOSED);
        }
        if ($call['status'] === 'processing' && $call['operator_id'] !== $operator) {
            throw new Refusal('Another operator is processing this call', Refusal::CALL_TAKEN);
        }
        throw new Refusal('This operator has not taken this call', Refusal::CALL_TAKEN);
    }

    private static function isWellFormedId(string $id): bool
    {
        return preg_match('/^[1-9][0-9]{0,17}$/', $id) === 1;
    }

    private static function now(): string
    {
        return date('Y-m-d H:i:s');
    }
}
