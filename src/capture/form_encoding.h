#pragma once
// The request body of a form submission, byte for byte as the browser sends it.

#include "capture/codepage.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringView>

namespace sitecapture {

enum class FormEnctype { UrlEncoded, Multipart, TextPlain };

// From the enctype attribute (or a submitter's formenctype), ASCII case ignored; anything
// else is urlencoded.
FormEnctype FormEnctypeFromAttribute(QStringView value);

// One entry of a form's entry list. A file entry carries the file's name, type and content.
struct FormEntry {
    QString name;
    QString value;
    bool isFile = false;
    QString fileName;
    QString fileType;
    QByteArray fileContent;

    friend bool operator==(const FormEntry&, const FormEntry&) = default;
};

// Every line break (CR, LF or CR LF) as CR LF, as a form submits text.
QString NormalizeLineBreaks(QStringView text);

// The body for the enctype in the charset. `boundary` is used for multipart only.
QByteArray EncodeFormBody(const QList<FormEntry>& entries, FormEnctype enctype,
                          const FormCharset& charset, QByteArrayView boundary = {});

// The Content-Type header sent with such a body; `boundary` is the one in a multipart body.
QString FormContentType(FormEnctype enctype, QByteArrayView boundary);

// A fresh multipart boundary of the form the browser uses.
QByteArray NewMultipartBoundary();

} // namespace sitecapture
