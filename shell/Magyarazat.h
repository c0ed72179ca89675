/* Magyarazat.h - the converter's messages in plain words: what went wrong
 * and what to do about it, each followed by the converter's own line. */
#ifndef MAGYARAZAT_H
#define MAGYARAZAT_H

#include <QString>

/* The converter's console text as the run's box shows it: every line that
 * the table knows explained, then quoted; other lines as they are. */
QString ExplainConverterText(const QString &text);

#endif
