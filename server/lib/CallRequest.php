<?php

if (realpath((string) ($_SERVER['SCRIPT_FILENAME'] ?? '')) === __FILE__) {
    http_response_code(404);
    exit;
}

// A visitor's call-back request (name and phone), checked before it is stored.
final class CallRequest
{
    public const MAX_NAME = 100;
    public const MAX_PHONE = 40;
    private const MIN_DIGITS = 5;
    private const MAX_DIGITS = 15;

    public readonly string $name;
    public readonly string $phone;
    /** @var array<string, string> field name => message */
    public readonly array $errors;

    public function __construct(string $name, string $phone)
    {
        $this->name = trim($name);
        $this->phone = trim($phone);
        $this->errors = array_filter([
            'name' => self::nameError($this->name),
            'phone' => self::phoneError($this->phone),
        ]);
    }

    public function isValid(): bool
    {
        return $this->errors === [];
    }

    private static function nameError(string $name): ?string
    {
        if ($name === '') {
            return 'Please enter your name.';
        }
        if (!Text::isSingleLine($name)) {
            return 'The name contains characters that cannot be used.';
        }
        if (Text::isBlank($name)) {
            return 'Please enter your name.';
        }
        if (Text::length($name) > self::MAX_NAME) {
            return 'The name is too long: at most ' . self::MAX_NAME . ' characters.';
        }
        return null;
    }

    private static function phoneError(string $phone): ?string
    {
        if ($phone === '') {
            return 'Please enter your phone number.';
        }
        $digits = strlen((string) preg_replace('/\D/', '', $phone));
        if (strlen($phone) > self::MAX_PHONE
            || preg_match('/^\+?[0-9 ()\-]+$/', $phone) !== 1
            || $digits < self::MIN_DIGITS || $digits > self::MAX_DIGITS) {
            return 'Please enter a phone number of ' . self::MIN_DIGITS . ' to ' . self::MAX_DIGITS
                . ' digits; spaces, brackets, dashes and a leading + are allowed.';
        }
        return null;
    }
}
