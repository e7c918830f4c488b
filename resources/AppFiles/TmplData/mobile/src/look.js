// Small checks on values of the phone settings before they reach the page's style.
export function isColour(text) {
    return /^#(?:[0-9a-f]{3,4}|[0-9a-f]{6}|[0-9a-f]{8})$/i.test(String(text || ''));
}

export function cssUrl(text) {
    return 'url("' + String(text).replace(/[\\"\u0000-\u001f]/g, function (c) {
        return '\\' + c.charCodeAt(0).toString(16) + ' ';
    }) + '")';
}
