// The words the phone players show, in the book's language: the book player's texts (i18n.js).
import { languageCode, translator } from '../../player/src/i18n.js';

var t = translator('en');

// The language of a languageSetting value ("French", "fr"); also <html lang>.
export function setLanguage(setting) {
    var code = languageCode(setting);
    t = translator(code);
    document.documentElement.lang = code;
}

// The text of `key` with "{0}" filled in by `arg`.
export function text(key, arg) {
    return t(key, arg);
}
