// A resource folder of test templates and styles, built in a temporary folder and installed
// as the platform's resources for the life of the fixture.
#pragma once

#include "fakes/TestFiles.h"
#include "fakes/FakePlatform.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace leafcraft::test {

// One `property` element with the six required elements; `extra` goes inside it after them.
inline QString propertyXml(const QString& key, const QString& value, const QString& type = QStringLiteral("pt_text"),
                           const QString& extra = QString())
{
    return QStringLiteral("<property type=\"%1\"><key>%2</key><title>T %2</title><desc>D</desc><value>%3</value>"
                          "<valueSource></valueSource><defaultValue></defaultValue>%4</property>")
        .arg(type, key, value, extra);
}

inline QString infoXml(const QString& htmlPath = QStringLiteral("index.html"))
{
    return QStringLiteral("<info><htmlPath>%1</htmlPath><swfPath>Main.swf</swfPath><defaultStyle>Blank</defaultStyle>"
                          "<macAppFilesFolder>mac</macAppFilesFolder><mobileTmplFilesPath>Flip</mobileTmplFilesPath>"
                          "</info>")
        .arg(htmlPath);
}

// A whole description document around the given `property` elements.
inline QByteArray templateXml(const QString& properties, const QString& info = infoXml())
{
    return QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<template>%1<properties>%2</properties></template>")
        .arg(info, properties)
        .toUtf8();
}

class TemplateResources : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        platform.setResourcesDir(m_dir.path());
        QDir().mkpath(appFiles());
        QDir().mkpath(tmp());
    }

    QString appFiles() const { return m_dir.path() + QLatin1String("/AppFiles"); }
    QString tmp() const { return m_dir.path() + QLatin1String("/out"); }

    // Writes `bytes` to <AppFiles>/<relative>, creating folders.
    QString writeFile(const QString& relative, const QByteArray& bytes) const
    {
        const QString path = appFiles() + QLatin1Char('/') + relative;
        return writeAbsolute(path, bytes);
    }
    static QString writeAbsolute(const QString& path, const QByteArray& bytes) { return test::writeFile(path, bytes); }
    static QByteArray readAbsolute(const QString& path) { return test::readFile(path); }
    void addTemplate(const QString& name, const QByteArray& document) const
    {
        writeFile(QStringLiteral("Templates/%1/flashTemplate.xml").arg(name), document);
    }
    void addStyle(const QString& tmpl, const QString& style, const QByteArray& settings) const
    {
        writeFile(QStringLiteral("Styles/%1/%2/tmplSetting.txt").arg(tmpl, style), settings);
    }

    FakePlatform platform;

private:
    QTemporaryDir m_dir;
};

} // namespace leafcraft::test
