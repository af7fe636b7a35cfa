<?php
// Lists the registered workplaces, or removes one. Changing the site password does not end a
// registration; removing the workplace does.
// Usage: php server/tools/workplaces.php              one line per workplace: id, registered, description
//        php server/tools/workplaces.php remove ID    (exit status 1 for an unknown id)
// Uses VORLAN_DB (or VORLAN_DSN and its user), as the site does.

if (PHP_SAPI !== 'cli') {
    http_response_code(404);
    exit;
}
require __DIR__ . '/../lib/bootstrap.php';

$operators = new OperatorStore(Database::connection());
if ($argc === 1) {
    foreach ($operators->listed() as $workplace) {
        echo implode("\t", [$workplace['id'], $workplace['registered'], $workplace['name']]), "\n";
    }
    exit(0);
}
if ($argc !== 3 || $argv[1] !== 'remove') {
    fwrite(STDERR, "usage: php {$argv[0]} [remove ID]\n");
    exit(2);
}
if (!$operators->remove($argv[2])) {
    fwrite(STDERR, "no registered workplace with id {$argv[2]}\n");
    exit(1);
}
// The calls it was processing are listed again: every subscribed workplace hears so at once.
$calls = new CallStore(Database::connection());
foreach ($operators->returnedCalls() as $callId) {
    Push::newCall($calls->listed($callId));
}
echo "removed {$argv[2]}; its calls in progress are new again\n";
