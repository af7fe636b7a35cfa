<?php
// Registering an operator workplace, guarded by the site's password.

require __DIR__ . '/../lib/bootstrap.php';

Api::run(static function (): string {
    $password = Api::requiredField('pass');
    $id = Api::requiredField('opID');
    $name = Api::requiredField('opName');
    $db = Database::connection();
    (new SitePassword($db))->check($password);
    (new OperatorStore($db))->register($id, $name);
    return 'The workplace is registered';
});
