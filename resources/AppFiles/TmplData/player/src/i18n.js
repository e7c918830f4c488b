// The player's words in the twelve languages a book can be published in (the template setting
// languageSetting). Every label, tooltip and message the reader sees comes from here; "{0}" and
// "{1}" stand for the values the player fills in. A key missing in a language falls back to English.

// Template setting value -> language code (also the value of <html lang>).
export const LANGUAGES = {
    English: 'en', French: 'fr', German: 'de', Spanish: 'es', Italian: 'it', Portuguese: 'pt',
    Dutch: 'nl', Swedish: 'sv', Polish: 'pl', Russian: 'ru', Chinese: 'zh', Japanese: 'ja'
};

// Order of the values in every row of TEXTS.
const ORDER = ['en', 'fr', 'de', 'es', 'it', 'pt', 'nl', 'sv', 'pl', 'ru', 'zh', 'ja'];

const TEXTS = {
    first: ['First page', 'Première page', 'Erste Seite', 'Primera página', 'Prima pagina', 'Primeira página',
        'Eerste pagina', 'Första sidan', 'Pierwsza strona', 'Первая страница', '第一页', '最初のページ'],
    prev: ['Previous page', 'Page précédente', 'Vorige Seite', 'Página anterior', 'Pagina precedente', 'Página anterior',
        'Vorige pagina', 'Föregående sida', 'Poprzednia strona', 'Предыдущая страница', '上一页', '前のページ'],
    next: ['Next page', 'Page suivante', 'Nächste Seite', 'Página siguiente', 'Pagina successiva', 'Próxima página',
        'Volgende pagina', 'Nästa sida', 'Następna strona', 'Следующая страница', '下一页', '次のページ'],
    last: ['Last page', 'Dernière page', 'Letzte Seite', 'Última página', 'Ultima pagina', 'Última página',
        'Laatste pagina', 'Sista sidan', 'Ostatnia strona', 'Последняя страница', '最后一页', '最後のページ'],
    pageNumber: ['Page number', 'Numéro de page', 'Seitenzahl', 'Número de página', 'Numero di pagina', 'Número da página',
        'Paginanummer', 'Sidnummer', 'Numer strony', 'Номер страницы', '页码', 'ページ番号'],
    ofPages: ['of {0} pages', 'sur {0} pages', 'von {0} Seiten', 'de {0} páginas', 'di {0} pagine', 'de {0} páginas',
        'van {0} pagina’s', 'av {0} sidor', 'z {0} stron', 'из {0} страниц', '共 {0} 页', '全 {0} ページ'],
    thumbnails: ['Thumbnails', 'Miniatures', 'Miniaturen', 'Miniaturas', 'Miniature', 'Miniaturas',
        'Miniaturen', 'Miniatyrer', 'Miniatury', 'Миниатюры', '缩略图', 'サムネイル'],
    contents: ['Table of contents', 'Table des matières', 'Inhaltsverzeichnis', 'Índice', 'Indice', 'Índice',
        'Inhoudsopgave', 'Innehållsförteckning', 'Spis treści', 'Содержание', '目录', '目次'],
    search: ['Search', 'Rechercher', 'Suchen', 'Buscar', 'Cerca', 'Pesquisar',
        'Zoeken', 'Sök', 'Szukaj', 'Поиск', '搜索', '検索'],
    zoom: ['Zoom', 'Zoom', 'Vergrößern', 'Ampliar', 'Ingrandisci', 'Ampliar',
        'Inzoomen', 'Zooma', 'Powiększ', 'Увеличить', '放大', '拡大'],
    tilt: ['Tilt the book ({0}°)', 'Incliner le livre ({0}°)', 'Buch neigen ({0}°)', 'Inclinar el libro ({0}°)',
        'Inclina il libro ({0}°)', 'Inclinar o livro ({0}°)', 'Boek kantelen ({0}°)', 'Luta boken ({0}°)',
        'Pochyl książkę ({0}°)', 'Наклонить книгу ({0}°)', '倾斜书本（{0}°）', '本を傾ける（{0}°）'],
    autoPlay: ['Turn the pages automatically', 'Tourner les pages automatiquement', 'Seiten automatisch umblättern',
        'Pasar las páginas automáticamente', 'Sfoglia le pagine automaticamente', 'Virar as páginas automaticamente',
        'Pagina’s automatisch omslaan', 'Bläddra automatiskt', 'Przewracaj strony automatycznie',
        'Листать страницы автоматически', '自动翻页', '自動でページをめくる'],
    music: ['Background music', 'Musique de fond', 'Hintergrundmusik', 'Música de fondo', 'Musica di sottofondo',
        'Música de fundo', 'Achtergrondmuziek', 'Bakgrundsmusik', 'Muzyka w tle', 'Фоновая музыка', '背景音乐', 'BGM'],
    fullScreen: ['Full screen', 'Plein écran', 'Vollbild', 'Pantalla completa', 'Schermo intero', 'Ecrã inteiro',
        'Volledig scherm', 'Helskärm', 'Pełny ekran', 'Во весь экран', '全屏', '全画面表示'],
    print: ['Print these pages', 'Imprimer ces pages', 'Diese Seiten drucken', 'Imprimir estas páginas',
        'Stampa queste pagine', 'Imprimir estas páginas', 'Deze pagina’s afdrukken', 'Skriv ut de här sidorna',
        'Drukuj te strony', 'Распечатать эти страницы', '打印这些页面', 'このページを印刷'],
    share: ['Share', 'Partager', 'Teilen', 'Compartir', 'Condividi', 'Partilhar',
        'Delen', 'Dela', 'Udostępnij', 'Поделиться', '分享', '共有'],
    download: ['Download', 'Télécharger', 'Herunterladen', 'Descargar', 'Scarica', 'Transferir',
        'Downloaden', 'Ladda ned', 'Pobierz', 'Скачать', '下载', 'ダウンロード'],
    info: ['About this book', 'À propos de ce livre', 'Über dieses Buch', 'Acerca de este libro', 'Informazioni sul libro',
        'Sobre este livro', 'Over dit boek', 'Om den här boken', 'O tej książce', 'Об этой книге', '关于本书', 'この本について'],
    help: ['Help', 'Aide', 'Hilfe', 'Ayuda', 'Aiuto', 'Ajuda', 'Help', 'Hjälp', 'Pomoc', 'Справка', '帮助', 'ヘルプ'],
    bookControls: ['Book controls', 'Commandes du livre', 'Buchsteuerung', 'Controles del libro', 'Comandi del libro',
        'Controlos do livro', 'Boekbediening', 'Bokens reglage', 'Sterowanie książką', 'Управление книгой', '图书控件',
        '本の操作'],
    bookPanel: ['Book panel', 'Panneau du livre', 'Buchleiste', 'Panel del libro', 'Pannello del libro', 'Painel do livro',
        'Boekpaneel', 'Bokens panel', 'Panel książki', 'Панель книги', '图书面板', '本のパネル'],
    bookPages: ['Book pages', 'Pages du livre', 'Buchseiten', 'Páginas del libro', 'Pagine del libro', 'Páginas do livro',
        'Boekpagina’s', 'Bokens sidor', 'Strony książki', 'Страницы книги', '书页', '本のページ'],
    more: ['More', 'Plus', 'Mehr', 'Más', 'Altro', 'Mais', 'Meer', 'Mer', 'Więcej', 'Ещё', '更多', 'その他'],
    close: ['Close', 'Fermer', 'Schließen', 'Cerrar', 'Chiudi', 'Fechar', 'Sluiten', 'Stäng', 'Zamknij', 'Закрыть', '关闭', '閉じる'],
    zoomIn: ['Zoom in', 'Agrandir', 'Vergrößern', 'Acercar', 'Ingrandisci', 'Aproximar',
        'Inzoomen', 'Zooma in', 'Powiększ', 'Увеличить', '放大', '拡大'],
    zoomOut: ['Zoom out', 'Réduire', 'Verkleinern', 'Alejar', 'Riduci', 'Afastar',
        'Uitzoomen', 'Zooma ut', 'Pomniejsz', 'Уменьшить', '缩小', '縮小'],
    closeZoom: ['Close zoom', 'Fermer le zoom', 'Vergrößerung schließen', 'Cerrar la ampliación', 'Chiudi l’ingrandimento',
        'Fechar a ampliação', 'Zoom sluiten', 'Stäng zoomningen', 'Zamknij powiększenie', 'Закрыть увеличение', '关闭放大',
        '拡大を閉じる'],
    zoomedPages: ['Zoomed pages', 'Pages agrandies', 'Vergrößerte Seiten', 'Páginas ampliadas', 'Pagine ingrandite',
        'Páginas ampliadas', 'Ingezoomde pagina’s', 'Förstorade sidor', 'Powiększone strony', 'Увеличенные страницы',
        '放大的页面', '拡大したページ'],
    page: ['Page {0}', 'Page {0}', 'Seite {0}', 'Página {0}', 'Pagina {0}', 'Página {0}', 'Pagina {0}', 'Sida {0}',
        'Strona {0}', 'Страница {0}', '第 {0} 页', '{0} ページ'],
    pages: ['Pages', 'Pages', 'Seiten', 'Páginas', 'Pagine', 'Páginas', 'Pagina’s', 'Sidor', 'Strony', 'Страницы', '页面', 'ページ'],
    goToPage: ['Go to page {0}', 'Aller à la page {0}', 'Gehe zu Seite {0}', 'Ir a la página {0}', 'Vai a pagina {0}',
        'Ir para a página {0}', 'Ga naar pagina {0}', 'Gå till sida {0}', 'Przejdź do strony {0}', 'Перейти к странице {0}',
        '转到第 {0} 页', '{0} ページへ移動'],
    notInBook: ['not in this book', 'absent de ce livre', 'nicht in diesem Buch', 'no está en este libro',
        'non in questo libro', 'não está neste livro', 'niet in dit boek', 'finns inte i boken', 'poza tą książką',
        'нет в этой книге', '不在本书中', 'この本にはありません'],
    noContents: ['This book has no table of contents.', 'Ce livre n’a pas de table des matières.',
        'Dieses Buch hat kein Inhaltsverzeichnis.', 'Este libro no tiene índice.', 'Questo libro non ha un indice.',
        'Este livro não tem índice.', 'Dit boek heeft geen inhoudsopgave.', 'Boken har ingen innehållsförteckning.',
        'Ta książka nie ma spisu treści.', 'В этой книге нет содержания.', '本书没有目录。', 'この本には目次がありません。'],
    findInBook: ['Find in this book', 'Rechercher dans ce livre', 'In diesem Buch suchen', 'Buscar en este libro',
        'Cerca in questo libro', 'Pesquisar neste livro', 'Zoeken in dit boek', 'Sök i boken', 'Szukaj w tej książce',
        'Искать в книге', '在本书中查找', 'この本を検索'],
    searching: ['Searching…', 'Recherche…', 'Suche läuft…', 'Buscando…', 'Ricerca in corso…', 'A pesquisar…',
        'Bezig met zoeken…', 'Söker…', 'Wyszukiwanie…', 'Поиск…', '正在搜索…', '検索中…'],
    hitOne: ['1 page', '1 page', '1 Seite', '1 página', '1 pagina', '1 página', '1 pagina', '1 sida', '1 strona',
        '1 страница', '1 页', '1 ページ'],
    hitMany: ['{0} pages', '{0} pages', '{0} Seiten', '{0} páginas', '{0} pagine', '{0} páginas', '{0} pagina’s',
        '{0} sidor', 'Stron: {0}', 'Страниц: {0}', '{0} 页', '{0} ページ'],
    noHit: ['No page holds "{0}".', 'Aucune page ne contient « {0} ».', 'Keine Seite enthält „{0}“.',
        'Ninguna página contiene «{0}».', 'Nessuna pagina contiene «{0}».', 'Nenhuma página contém «{0}».',
        'Geen pagina bevat ‘{0}’.', 'Ingen sida innehåller ”{0}”.', 'Żadna strona nie zawiera „{0}”.',
        'Ни одна страница не содержит «{0}».', '没有页面包含“{0}”。', '「{0}」を含むページはありません。'],
    noSearchData: ['This book has no search data.', 'Ce livre n’a pas de données de recherche.',
        'Dieses Buch hat keine Suchdaten.', 'Este libro no tiene datos de búsqueda.', 'Questo libro non ha dati di ricerca.',
        'Este livro não tem dados de pesquisa.', 'Dit boek heeft geen zoekgegevens.', 'Boken saknar sökdata.',
        'Ta książka nie ma danych wyszukiwania.', 'В этой книге нет данных для поиска.', '本书没有搜索数据。',
        'この本には検索データがありません。'],
    searchDamaged: ['The search data of this book is damaged.', 'Les données de recherche de ce livre sont endommagées.',
        'Die Suchdaten dieses Buchs sind beschädigt.', 'Los datos de búsqueda de este libro están dañados.',
        'I dati di ricerca di questo libro sono danneggiati.', 'Os dados de pesquisa deste livro estão danificados.',
        'De zoekgegevens van dit boek zijn beschadigd.', 'Bokens sökdata är skadade.',
        'Dane wyszukiwania tej książki są uszkodzone.', 'Данные поиска этой книги повреждены.', '本书的搜索数据已损坏。',
        'この本の検索データは壊れています。'],
    by: ['By {0}', 'Par {0}', 'Von {0}', 'Por {0}', 'Di {0}', 'Por {0}', 'Door {0}', 'Av {0}', 'Autor: {0}', 'Автор: {0}',
        '作者：{0}', '著者：{0}'],
    pageCount: ['{0} pages', '{0} pages', '{0} Seiten', '{0} páginas', '{0} pagine', '{0} páginas', '{0} pagina’s',
        '{0} sidor', 'Liczba stron: {0}', 'Страниц: {0}', '共 {0} 页', '全 {0} ページ'],
    keyNextPrev: ['next / previous page', 'page suivante / précédente', 'nächste / vorige Seite',
        'página siguiente / anterior', 'pagina successiva / precedente', 'próxima página / anterior',
        'volgende / vorige pagina', 'nästa / föregående sida', 'następna / poprzednia strona',
        'следующая / предыдущая страница', '下一页 / 上一页', '次 / 前のページ'],
    keyPrevNext: ['previous / next page', 'page précédente / suivante', 'vorige / nächste Seite',
        'página anterior / siguiente', 'pagina precedente / successiva', 'página anterior / próxima',
        'vorige / volgende pagina', 'föregående / nästa sida', 'poprzednia / następna strona',
        'предыдущая / следующая страница', '上一页 / 下一页', '前 / 次のページ'],
    keyFirstLast: ['first / last page', 'première / dernière page', 'erste / letzte Seite', 'primera / última página',
        'prima / ultima pagina', 'primeira / última página', 'eerste / laatste pagina', 'första / sista sidan',
        'pierwsza / ostatnia strona', 'первая / последняя страница', '第一页 / 最后一页', '最初 / 最後のページ'],
    keyZoom: ['zoom in / out', 'agrandir / réduire', 'vergrößern / verkleinern', 'acercar / alejar',
        'ingrandisci / riduci', 'aproximar / afastar', 'in- / uitzoomen', 'zooma in / ut', 'powiększ / pomniejsz',
        'увеличить / уменьшить', '放大 / 缩小', '拡大 / 縮小'],
    keyEscape: ['close zoom, panels and dialogs', 'fermer le zoom, les panneaux et les fenêtres',
        'Vergrößerung, Leisten und Dialoge schließen', 'cerrar ampliación, paneles y diálogos',
        'chiudi ingrandimento, pannelli e finestre', 'fechar ampliação, painéis e janelas',
        'zoom, panelen en vensters sluiten', 'stäng zoomning, paneler och dialoger',
        'zamknij powiększenie, panele i okna', 'закрыть увеличение, панели и окна', '关闭放大、面板和对话框',
        '拡大・パネル・ダイアログを閉じる'],
    swipe: ['Swipe or click a page', 'Glisser ou cliquer sur une page', 'Wischen oder auf eine Seite klicken',
        'Deslizar o hacer clic en una página', 'Scorri o fai clic su una pagina', 'Deslizar ou clicar numa página',
        'Veeg of klik op een pagina', 'Svep eller klicka på en sida', 'Przesuń lub kliknij stronę',
        'Проведите или нажмите на страницу', '滑动或点击页面', 'スワイプまたはページをクリック'],
    turnPage: ['turn the page', 'tourner la page', 'umblättern', 'pasar la página', 'girare pagina', 'virar a página',
        'pagina omslaan', 'bläddra', 'przewróć stronę', 'перевернуть страницу', '翻页', 'ページをめくる'],
    linkToPage: ['Link to this page', 'Lien vers cette page', 'Link zu dieser Seite', 'Enlace a esta página',
        'Link a questa pagina', 'Ligação para esta página', 'Link naar deze pagina', 'Länk till den här sidan',
        'Link do tej strony', 'Ссылка на эту страницу', '本页链接', 'このページへのリンク'],
    copyLink: ['Copy link', 'Copier le lien', 'Link kopieren', 'Copiar enlace', 'Copia link', 'Copiar ligação',
        'Link kopiëren', 'Kopiera länk', 'Kopiuj link', 'Копировать ссылку', '复制链接', 'リンクをコピー'],
    copied: ['Copied', 'Copié', 'Kopiert', 'Copiado', 'Copiato', 'Copiado', 'Gekopieerd', 'Kopierad', 'Skopiowano',
        'Скопировано', '已复制', 'コピーしました'],
    sendEmail: ['Send by e-mail', 'Envoyer par e-mail', 'Per E-Mail senden', 'Enviar por correo', 'Invia per e-mail',
        'Enviar por e-mail', 'Per e-mail versturen', 'Skicka med e-post', 'Wyślij e-mailem', 'Отправить по почте',
        '通过电子邮件发送', 'メールで送る'],
    shareOn: ['Share on {0}', 'Partager sur {0}', 'Auf {0} teilen', 'Compartir en {0}', 'Condividi su {0}',
        'Partilhar no {0}', 'Delen op {0}', 'Dela på {0}', 'Udostępnij w {0}', 'Поделиться в {0}', '分享到 {0}', '{0} で共有'],
    cannotOpen: ['This book cannot be opened', 'Ce livre ne peut pas être ouvert', 'Dieses Buch kann nicht geöffnet werden',
        'Este libro no se puede abrir', 'Questo libro non può essere aperto', 'Este livro não pode ser aberto',
        'Dit boek kan niet worden geopend', 'Boken kan inte öppnas', 'Nie można otworzyć tej książki',
        'Эту книгу невозможно открыть', '无法打开本书', 'この本を開けません'],
    pageText: ['Text of page {0}', 'Texte de la page {0}', 'Text von Seite {0}', 'Texto de la página {0}',
        'Testo della pagina {0}', 'Texto da página {0}', 'Tekst van pagina {0}', 'Text på sida {0}',
        'Tekst strony {0}', 'Текст страницы {0}', '第 {0} 页的文字', '{0} ページのテキスト'],
    noText: ['This page has no text.', 'Cette page n’a pas de texte.', 'Diese Seite hat keinen Text.',
        'Esta página no tiene texto.', 'Questa pagina non ha testo.', 'Esta página não tem texto.',
        'Deze pagina heeft geen tekst.', 'Sidan har ingen text.', 'Ta strona nie ma tekstu.', 'На этой странице нет текста.',
        '此页没有文字。', 'このページには文字がありません。']
};

// The language code for a languageSetting value ("French", "fr", "pt-BR"); English when unknown.
export function languageCode(setting) {
    var v = String(setting || '').trim();
    if (!v) return 'en';
    for (var name in LANGUAGES) if (name.toLowerCase() === v.toLowerCase()) return LANGUAGES[name];
    var code = v.toLowerCase().split(/[-_]/)[0];
    return ORDER.indexOf(code) >= 0 ? code : 'en';
}

// A function t(key, a, b) giving the text of `key` in the language, "{0}" and "{1}" filled in.
export function translator(code) {
    var column = Math.max(0, ORDER.indexOf(code));
    return function (key) {
        var row = TEXTS[key];
        var s = row ? (row[column] || row[0]) : key;
        var args = arguments;
        return s.replace(/\{(\d)\}/g, function (m, i) { return String(args[+i + 1]); });
    };
}

export const LANGUAGE_CODES = ORDER;
export const TEXT_KEYS = Object.keys(TEXTS);
