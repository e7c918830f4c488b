#!/usr/bin/env bash
# The core library must stay headless: no widget, GUI or web-view include under src/.
set -euo pipefail
src="${1:-$(dirname "$0")/../src}"
if grep -rnE '#\s*include\s*[<"](QtWidgets|QtGui|QtWebEngine[A-Za-z]*|QtWebChannel|QWidget|QApplication|QMainWindow|QDialog|QMessageBox|QPushButton|QWebEngine[A-Za-z]*|QImage|QPixmap|QPainter)[/>"]' "$src"; then
    echo "check-core: the core library includes widget or GUI headers (listed above)" >&2
    exit 1
fi
echo "check-core: no widget includes under $src"
