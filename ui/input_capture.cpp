#include "ui/input_capture.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPointer>
#include <QWidget>

namespace {

int XButtonOf(Qt::MouseButton button) {
    switch (button) {
        case Qt::LeftButton:
            return 1;
        case Qt::MiddleButton:
            return 2;
        case Qt::RightButton:
            return 3;
        case Qt::BackButton:
            return 8;
        case Qt::ForwardButton:
            return 9;
        default:
            return 0;
    }
}

}  // namespace

class InputCapture::Filter final : public QObject {
public:
    Filter(QWidget* widget, Sink sink) : widget_(widget), sink_(std::move(sink)) {
        previousPolicy_ = widget->focusPolicy();
        widget->setFocusPolicy(Qt::StrongFocus);
        widget->installEventFilter(this);
    }
    ~Filter() override { Release(); }

    // Gives the control its own behaviour back at once.
    void Release() {
        if (widget_ != nullptr) {
            widget_->removeEventFilter(this);
            widget_->setFocusPolicy(previousPolicy_);
            widget_ = nullptr;
        }
    }
    bool Delivering() const { return delivering_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched != widget_) {
            return false;
        }
        switch (event->type()) {
            case QEvent::ShortcutOverride:
                event->accept();  // no shortcut of the window fires: the key is input here
                return true;
            case QEvent::KeyPress:
            case QEvent::KeyRelease: {
                const auto* key = static_cast<QKeyEvent*>(event);
                if (!key->isAutoRepeat()) {
                    CapturedInput input;
                    input.release = event->type() == QEvent::KeyRelease;
                    input.nativeScanCode = key->nativeScanCode();
                    Deliver(input);
                }
                return true;
            }
            case QEvent::MouseButtonPress:
            case QEvent::MouseButtonDblClick:  // the second press of a double click
            case QEvent::MouseButtonRelease: {
                const auto* mouse = static_cast<QMouseEvent*>(event);
                CapturedInput input;
                input.kind = CapturedInput::Kind::Button;
                input.release = event->type() == QEvent::MouseButtonRelease;
                input.button = XButtonOf(mouse->button());
                if (input.button != 0) {
                    if (!input.release) {
                        widget_->setFocus(Qt::MouseFocusReason);
                    }
                    Deliver(input);
                }
                return true;
            }
            default:
                return false;
        }
    }

private:
    void Deliver(const CapturedInput& input) {
        delivering_ = true;
        sink_(input);
        delivering_ = false;
    }

    QPointer<QWidget> widget_;
    bool delivering_ = false;
    Sink sink_;
    Qt::FocusPolicy previousPolicy_ = Qt::NoFocus;
};

InputCapture::InputCapture() = default;

InputCapture::~InputCapture() {
    Detach();
}

void InputCapture::Attach(const Control& control, Sink sink) {
    Detach();
    if (QWidget* widget = control.Widget()) {
        filter_ = std::make_unique<Filter>(widget, std::move(sink));
    }
}

void InputCapture::Detach() {
    if (filter_ == nullptr) {
        return;
    }
    filter_->Release();
    if (filter_->Delivering()) {
        // Detached from inside its own callback: the filter goes once the event is handled.
        filter_.release()->deleteLater();
    } else {
        filter_.reset();
    }
}

bool InputCapture::Attached() const {
    return filter_ != nullptr;
}
