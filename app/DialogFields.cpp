#include "app/DialogFields.h"

#include <QLineEdit>
#include <QPalette>

#include "engine/ParseNumber.h"

namespace q64 {

std::optional<int> ParseWholeNumber(const QString& text) {
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty()) return std::nullopt;
    // toInt would also take a leading '+' or '-'; it refuses everything else.
    for (qsizetype i = 0; i < trimmed.size(); ++i) {
        const QChar c = trimmed.at(i);
        const bool sign = i == 0 && (c == u'+' || c == u'-');
        if (!sign && (c < u'0' || c > u'9')) return std::nullopt;
    }
    bool ok = false;
    const int value = trimmed.toInt(&ok, 10);
    if (!ok) return std::nullopt;
    return value;
}

void SetFieldReadOnly(QLineEdit* field, bool readOnly) {
    field->setReadOnly(readOnly);
    if (!readOnly) {
        field->setPalette(QPalette()); // back to the inherited colours
        return;
    }
    QPalette palette = field->palette();
    palette.setBrush(QPalette::Base, palette.brush(QPalette::Window));
    field->setPalette(palette);
}

QString FormatHexAddress(int value) {
    if (value == 0) return QStringLiteral("0");
    return QStringLiteral("0x") + QString::number(static_cast<quint32>(value), 16);
}

int ParseNumberField(const QString& text) {
    const QByteArray bytes = text.toLatin1();
    return parse_number(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
}

} // namespace q64
