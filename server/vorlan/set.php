<?php
// Taking a call ("process") and closing it with a result ("close").

require __DIR__ . '/../lib/bootstrap.php';

$action = Api::field('action');

// The client reads the answer to "close" as an integer and anything else as a string,
// so every answer to "close", refusals included, carries a numeric result.
Api::run(static function () use ($action): string {
    if ($action !== 'process' && $action !== 'close') {
        throw new Refusal('Unknown action: use "process" or "close"', Refusal::BAD_REQUEST);
    }
    $db = Database::connection();
    $operator = Api::knownOperator(new OperatorStore($db));
    $id = Api::requiredField('id');
    $calls = new CallStore($db);
    if ($action === 'process') {
        $calls->take($operator, $id);
        Push::gone($id);
        return 'The call is yours';
    }
    $calls->close($operator, $id, Api::field('comment') ?? '');
    Push::gone($id);
    return 'The call is closed';
}, $action === 'close');
