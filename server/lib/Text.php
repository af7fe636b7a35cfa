<?php

if (realpath((string) ($_SERVER['SCRIPT_FILENAME'] ?? '')) === __FILE__) {
    http_response_code(404);
    exit;
}

// Checks on the texts that visitors and clients send.
final class Text
{
    public static function isUtf8(string $text): bool
    {
        return preg_match('//u', $text) === 1;
    }

    // One-line fields (names, phones) carry no control characters at all, and none of the
    // invisible characters (bidirectional overrides and isolates, zero-width spaces, line
    // separators, the Hangul fillers and the blank Braille pattern) that make a text read other
    // than it is or show as nothing. The zero-width joiners and the variation selectors stay:
    // some scripts need them to write names, and emoji to show as meant.
    public static function isSingleLine(string $text): bool
    {
        return self::isUtf8($text) && preg_match('/[\x00-\x1F\x7F\p{Cc}\p{Zl}\p{Zp}\x{2800}]'
            . '|(?![\x{200C}\x{200D}\x{FE00}-\x{FE0F}\x{E0100}-\x{E01EF}])[\p{Cf}\p{DI}]/u', $text) === 0;
    }

    // Multi-line fields keep their line breaks and tabs, but no other control characters.
    public static function isMultiLine(string $text): bool
    {
        return self::isUtf8($text) && preg_match('/[\x00-\x08\x0B\x0C\x0E-\x1F\x7F]/', $text) === 0;
    }

    // Nothing a reader could see: white space of any kind (wide and no-break spaces too) and
    // invisible characters.
    public static function isBlank(string $text): bool
    {
        return trim($text) === '' || preg_match('/^[\s\p{Z}\p{Cc}\p{Cf}\p{DI}\x{2800}]*$/u', $text) === 1;
    }

    public static function length(string $text): int
    {
        return (int) preg_match_all('/./us', $text);
    }
}
