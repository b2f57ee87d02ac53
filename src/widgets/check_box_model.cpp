#include "widgets/check_box_model.h"

namespace kestrave {

CheckPressMachine::Actions CheckPressMachine::press() {
    clickOnRelease_ = true;
    return {Action::Invert};
}

CheckPressMachine::Actions CheckPressMachine::release(bool inside) {
    const bool click = clickOnRelease_ && inside;
    clickOnRelease_ = false;
    return click ? Actions{Action::Click} : Actions{};
}

CheckPressMachine::Actions CheckPressMachine::doublePress() {
    // The release that follows clicks no more.
    clickOnRelease_ = false;
    return {Action::DoubleClick, Action::Invert, Action::Click};
}

CheckLayout checkLayout(QSize client, int captionWidth, int textHeight, bool boxAtLeft, QSize boxSize) {
    CheckLayout layout;
    layout.caption =
        QRect(boxAtLeft ? 22 : 2, (client.height() - textHeight) / 2, captionWidth + 3, textHeight);
    layout.box = QPoint(boxAtLeft ? 2 : client.width() - 18, (client.height() - boxSize.height()) / 2);
    return layout;
}

}  // namespace kestrave
