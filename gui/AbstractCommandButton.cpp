#include "gui/AbstractCommandButton.h"

namespace zel::qmix::gui {

AbstractCommandButton::AbstractCommandButton(QWidget* parent)
    : QToolButton(parent) {}

void AbstractCommandButton::setCommunicator(comm::KeyboardCommunicator* communicator) {
    communicator_ = communicator;
}

void AbstractCommandButton::setCommandControlSource(const comm::CommandControlSource& source) {
    controlSource_ = source;
}

} // namespace zel::qmix::gui
