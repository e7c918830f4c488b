#include "AboutDialog.h"

#include "Artwork.h"

#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QVBoxLayout>

#ifndef LEAFCRAFT_VERSION
#define LEAFCRAFT_VERSION "0"
#endif

namespace leafcraft::gui {

AboutDialog::AboutDialog(QWidget* parent) : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint)
{
    setObjectName(QStringLiteral("about"));
    setStyleSheet(QStringLiteral("QDialog#about { background: #fbf8f0; border: 1px solid #2f4b6e; }"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(28, 24, 28, 20);
    auto* picture = new QLabel(this);
    picture->setPixmap(appPixmap(96));
    picture->setAlignment(Qt::AlignCenter);
    auto* name = new QLabel(QStringLiteral("<h2>Leafcraft</h2>"), this);
    name->setAlignment(Qt::AlignCenter);
    auto* version = new QLabel(tr("Version %1").arg(QStringLiteral(LEAFCRAFT_VERSION)), this);
    version->setObjectName(QStringLiteral("version"));
    version->setAlignment(Qt::AlignCenter);
    auto* site = new QLabel(QStringLiteral("<a href=\"https://leafcraft.app\">leafcraft.app</a>"), this);
    site->setOpenExternalLinks(true);
    site->setAlignment(Qt::AlignCenter);
    auto* close = new QPushButton(tr("Close"), this);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    layout->addWidget(picture);
    layout->addWidget(name);
    layout->addWidget(version);
    layout->addWidget(site);
    layout->addSpacing(8);
    layout->addWidget(close, 0, Qt::AlignCenter);
}

void AboutDialog::mousePressEvent(QMouseEvent* event)
{
    m_dragOffset = event->globalPosition().toPoint() - frameGeometry().topLeft();
}

void AboutDialog::mouseMoveEvent(QMouseEvent* event)
{
    if (event->buttons() & Qt::LeftButton)
        move(event->globalPosition().toPoint() - m_dragOffset);
}

} // namespace leafcraft::gui
