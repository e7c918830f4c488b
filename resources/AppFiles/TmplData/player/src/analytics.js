// What the book may do on the network, and only when its author asked for it: the analytics tag
// of the template's GoogleID, loaded only over http(s). A book opened from disk makes no call.
import { Player } from './player.js';
import { root } from './dom.js';

Player.prototype.startAnalytics = function () {
    var id = this.cfg.analyticsId;
    if (!id || !/^https?:$/.test(location.protocol) || !/^[A-Za-z0-9-]+$/.test(id)) return false;
    root.dataLayer = root.dataLayer || [];
    root.gtag = function () { root.dataLayer.push(arguments); };
    root.gtag('js', new Date());
    root.gtag('config', id);
    var s = document.createElement('script');
    s.async = true;
    s.src = 'https://www.googletagmanager.com/gtag/js?id=' + encodeURIComponent(id);
    document.head.appendChild(s);
    return true;
};
