<?php
// The poll: the calls pending for this operator.

require __DIR__ . '/../lib/bootstrap.php';

Push::advertise();
Api::run(static function (): array {
    if (Api::field('type') !== '2') {
        throw new Refusal('Unsupported list type: only type 2 (pending calls) is served', Refusal::BAD_REQUEST);
    }
    $db = Database::connection();
    $operator = Api::knownOperator(new OperatorStore($db));
    return (new CallStore($db))->pendingFor($operator);
});
