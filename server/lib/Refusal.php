<?php

if (realpath((string) ($_SERVER['SCRIPT_FILENAME'] ?? '')) === __FILE__) {
    http_response_code(404);
    exit;
}

// A request the site turns down: its code becomes the envelope's "result", its message "descr".
final class Refusal extends RuntimeException
{
    public const BAD_REQUEST = 1;
    public const UNKNOWN_OPERATOR = 2;
    public const UNKNOWN_CALL = 3;
    public const CALL_TAKEN = 4;
    public const CALL_CLOSED = 5;
    public const EMPTY_COMMENT = 6;
    public const WRONG_PASSWORD = 7;
    public const MALFORMED_OPERATOR_ID = 8;
    public const ALREADY_REGISTERED = 9;
    public const NO_PASSWORD = 10;
    public const LOCKED_OUT = 11;
    public const INTERNAL_ERROR = 99;
}
