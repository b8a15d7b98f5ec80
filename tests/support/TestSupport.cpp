#include "TestSupport.h"

#include "core/record/NorlaError.h"
#include "core/record/TextFile.h"

#include <QDir>
#include <QFile>
#include <QtTest>

TempWorkDir::TempWorkDir() : m_previous(QDir::currentPath())
{
    QVERIFY2(m_dir.isValid(), "cannot create a temporary folder");
    QDir::setCurrent(m_dir.path());
}

TempWorkDir::~TempWorkDir()
{
    QDir::setCurrent(m_previous);
}

void TempWorkDir::seedFromSample() const
{
    const QDir sample(QStringLiteral(NORLA_SAMPLE_DIR));
    for (const QString& name : sample.entryList(QDir::Files))
        QFile::copy(sample.filePath(name), file(name));
}

void TempWorkDir::writeBytes(const QString& name, const QByteArray& bytes) const
{
    QFile f(file(name));
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

QByteArray TempWorkDir::readBytes(const QString& name) const
{
    QFile f(file(name));
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

QString testDataPath(const QString& name)
{
    return QStringLiteral(NORLA_TEST_DATA_DIR) + u'/' + name;
}

QByteArray unicodeFileBytes(const QStringList& lines)
{
    return TextFile::encodeUnicode(lines);
}

QString errorOf(const std::function<void()>& action)
{
    try {
        action();
    } catch (const NorlaError& error) {
        return error.message();
    }
    return {};
}
