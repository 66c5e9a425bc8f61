#pragma once
// The test offer that auto-fill types in: a value per placeholder label that ordinary form
// validation accepts (digits for numbers, an e-mail and a web address of the right shape, a
// description of a few sentences), distinct within a form, free of "&", "=" and the
// marker, and templated from the captured body as the capture reads it.

#include "capture/codepage.h"

#include <QString>
#include <QStringView>

namespace sitecapture {

// The value for the n-th field (n from 1) given `label` in a form sent in `charset` (the
// form's charset label, as the page names it). Simplified characters where the template
// takes them, else traditional ones, else ASCII. At most `maxLength` characters when
// that is positive: the part that tells the fields apart is kept. Empty for a text that is
// no label of PlaceholderTable.
QString TestValue(QStringView label, QStringView charset, int n, int maxLength = -1);
// The same with the charset's converter made once, for a whole form.
QString TestValue(QStringView label, const FormCharset& charset, int n, int maxLength = -1);

} // namespace sitecapture
