<?php
// Prints one call as the site stores it, as a JSON object on one line:
// id, create_date, name, phone, status, operator_id, comment, closed_date.
// Usage: php server/tools/show-call.php ID   (uses VORLAN_DB; exit status 1 for an unknown id)

if (PHP_SAPI !== 'cli') {
    http_response_code(404);
    exit;
}
require __DIR__ . '/../lib/bootstrap.php';

if ($argc !== 2) {
    fwrite(STDERR, "usage: php {$argv[0]} ID\n");
    exit(2);
}
$call = (new CallStore(Database::connection()))->find($argv[1]);
if ($call === null) {
    fwrite(STDERR, "no call with id {$argv[1]}\n");
    exit(1);
}
echo json_encode($call, JSON_UNESCAPED_UNICODE | JSON_UNESCAPED_SLASHES), "\n";
