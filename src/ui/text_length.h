#pragma once

#include <QString>

// The number of user-perceived characters of text: an emoji with its modifiers, a letter with
// its combining accents and a Chinese character each count once, whatever their UTF-16 length.
int graphemeCount(const QString &text);
