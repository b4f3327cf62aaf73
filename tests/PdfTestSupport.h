#pragma once

#include <QByteArray>

#include <string>

namespace orbiplot::test {

// What a PDF's streams say, inflated and joined: the page's drawing operators, the fonts'
// names, and so on.
inline std::string PdfStreams(const QByteArray& pdf) {
    std::string out;
    qsizetype at = 0;
    while ((at = pdf.indexOf("stream\n", at)) >= 0) {
        if (at >= 3 && pdf.mid(at - 3, 3) == "end") {
            at += 7;
            continue;
        }
        const qsizetype begin = at + 7;
        const qsizetype end = pdf.indexOf("endstream", begin);
        if (end < 0) break;
        const QByteArray data = pdf.mid(begin, end - begin);
        const qsizetype dict = pdf.lastIndexOf("<<", at);
        if (dict >= 0 && pdf.mid(dict, at - dict).contains("/FlateDecode")) {
            // Inflated as the toolkit inflates, behind the size it expects first.
            QByteArray framed(4, '\0');
            const quint32 hint = static_cast<quint32>(qMin<qsizetype>(data.size() * 64, 1 << 26));
            for (int i = 0; i < 4; ++i)
                framed[i] = static_cast<char>((hint >> (24 - 8 * i)) & 0xFF);
            out += qUncompress(framed + data).toStdString();
        } else {
            out += data.toStdString();
        }
        out += '\n';
        at = end;
    }
    return out;
}

} // namespace orbiplot::test
