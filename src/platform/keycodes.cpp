#include "platform/keycodes.h"

#include <QKeyEvent>

namespace tl
{

int KeyCodeOf(int key)
{
    if (key >= Qt::Key_A && key <= Qt::Key_Z)
        return vk::A + (key - Qt::Key_A);
    if (key >= Qt::Key_0 && key <= Qt::Key_9)
        return 48 + (key - Qt::Key_0);
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24)
        return vk::F1 + (key - Qt::Key_F1);
    switch (key) {
    case Qt::Key_Backspace:
        return vk::Back;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return vk::Tab;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return vk::Return;
    case Qt::Key_Shift:
        return vk::Shift;
    case Qt::Key_Control:
        return vk::Control;
    case Qt::Key_Alt:
    case Qt::Key_AltGr:
        return vk::Menu;
    case Qt::Key_Pause:
        return vk::Pause;
    case Qt::Key_CapsLock:
        return vk::Capital;
    case Qt::Key_Escape:
        return vk::Escape;
    case Qt::Key_Space:
        return vk::Space;
    case Qt::Key_PageUp:
        return vk::Prior;
    case Qt::Key_PageDown:
        return vk::Next;
    case Qt::Key_End:
        return vk::End;
    case Qt::Key_Home:
        return vk::Home;
    case Qt::Key_Left:
        return vk::Left;
    case Qt::Key_Up:
        return vk::Up;
    case Qt::Key_Right:
        return vk::Right;
    case Qt::Key_Down:
        return vk::Down;
    case Qt::Key_Insert:
        return vk::Insert;
    case Qt::Key_Delete:
        return vk::Delete;
    case Qt::Key_Clear:
        return 12;
    case Qt::Key_Print:
        return 44;
    case Qt::Key_Help:
        return 47;
    case Qt::Key_Meta:
        return 91;
    case Qt::Key_Menu:
        return 93;
    case Qt::Key_NumLock:
        return 144;
    case Qt::Key_ScrollLock:
        return 145;
    case Qt::Key_Kanji:
        return 25;
    case Qt::Key_Henkan:
        return 28;
    case Qt::Key_Muhenkan:
        return 29;
    case Qt::Key_Semicolon:
    case Qt::Key_Colon:
        return 186;
    case Qt::Key_Plus:
    case Qt::Key_Equal:
        return 187;
    case Qt::Key_Comma:
    case Qt::Key_Less:
        return 188;
    case Qt::Key_Minus:
        return 189;
    case Qt::Key_Period:
    case Qt::Key_Greater:
        return 190;
    case Qt::Key_Slash:
    case Qt::Key_Question:
        return 191;
    case Qt::Key_At:
    case Qt::Key_QuoteLeft:
        return 192;
    case Qt::Key_BracketLeft:
    case Qt::Key_BraceLeft:
        return 219;
    case Qt::Key_Backslash:
    case Qt::Key_Bar:
        return 220;
    case Qt::Key_BracketRight:
    case Qt::Key_BraceRight:
        return 221;
    case Qt::Key_AsciiCircum:
    case Qt::Key_Apostrophe:
    case Qt::Key_QuoteDbl:
        return 222;
    case Qt::Key_yen:
        return 220;
    // Shifted symbols without a key of their own report the key that carries them on a US
    // keyboard, so that Shift+1 is the key 1 with Shift, as the key handler expects.
    case Qt::Key_Exclam:
        return '1';
    case Qt::Key_NumberSign:
        return '3';
    case Qt::Key_Dollar:
        return '4';
    case Qt::Key_Percent:
        return '5';
    case Qt::Key_Ampersand:
        return '7';
    case Qt::Key_Asterisk:
        return '8';
    case Qt::Key_ParenLeft:
        return '9';
    case Qt::Key_ParenRight:
        return '0';
    case Qt::Key_Underscore:
        return 189;
    case Qt::Key_AsciiTilde:
        return 192;
    default:
        return 0;
    }
}

int KeyCodeOf(const QKeyEvent& event)
{
    // Keypad digits and operators have codes of their own.
    if (event.modifiers() & Qt::KeypadModifier) {
        const int key = event.key();
        if (key >= Qt::Key_0 && key <= Qt::Key_9)
            return 96 + (key - Qt::Key_0);
        switch (key) {
        case Qt::Key_Asterisk:
            return 106;
        case Qt::Key_Plus:
            return 107;
        case Qt::Key_Minus:
            return 109;
        case Qt::Key_Period:
            return 110;
        case Qt::Key_Slash:
            return 111;
        default:
            break;
        }
    }
    return KeyCodeOf(event.key());
}

int ShiftStateOf(Qt::KeyboardModifiers modifiers)
{
    int state = 0;
    if (modifiers & Qt::ShiftModifier)
        state |= kShiftMask;
    if (modifiers & Qt::ControlModifier)
        state |= kCtrlMask;
    if (modifiers & Qt::AltModifier)
        state |= kAltMask;
    return state;
}

} // namespace tl
