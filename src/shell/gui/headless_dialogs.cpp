#include "shell/gui/headless_dialogs.h"

#include <cstdio>

namespace corvane {

MsgAnswer HeadlessDialogs::message(const QString& text, const QString& title, MsgButtons buttons,
                                   MsgIcon) {
    QString shown = text;
    shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    std::fprintf(stderr, "corvane: message%s%s: %s\n", title.isEmpty() ? "" : " ",
                 title.toLocal8Bit().constData(), shown.toLocal8Bit().constData());
    return closedBoxAnswer(buttons);
}

}  // namespace corvane
