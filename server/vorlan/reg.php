<?php
// Registering an operator workplace, guarded by the site's password.

require __DIR__ . '/../lib/bootstrap.php';

Api::run(static function (): string {
    $password = Api::requiredField('pass');
    $id = Api::requiredField('opID');
    $name = Api::requiredField('opName');
    $db = Database::connection();
    if (!(new SitePassword($db))->verify($password)) {
        throw new Refusal('Wrong site password', Refusal::WRONG_PASSWORD);
    }
    (new OperatorStore($db))->register($id, $name);
    return 'The workplace is registered';
});
