// SPDX-License-Identifier: GPL-3.0-or-later
// Text from outside (an argument, a file name, a path from the environment) as the companion's
// messages quote it: a control character (a line break, an escape to the terminal) is shown as
// '?', so a quoted name can neither spill onto further lines nor steer the terminal.
#ifndef HELIODIAL_ONELINE_H
#define HELIODIAL_ONELINE_H

#include <QString>
#include <string>
#include <string_view>

inline QString OneLine(QString message) {
  for (QChar& c : message) {
    if (c.category() == QChar::Other_Control) c = QLatin1Char('?');
  }
  return message;
}

// The same for text in the locale's encoding.
inline std::string OneLine(std::string_view message) {
  const QString text =
      QString::fromLocal8Bit(message.data(), static_cast<qsizetype>(message.size()));
  return OneLine(text).toLocal8Bit().toStdString();
}

#endif
