#pragma once
// Buttons, icons and results of Orvanta's own message dialogs.

#include <QFont>
#include <QIcon>

#include <cstdint>

// The set of buttons of ShowMsg: the bitwise union of the buttons shown.
using MsgButtons = uint16_t;
inline constexpr MsgButtons mbYes = 1;
inline constexpr MsgButtons mbNo = 2;
inline constexpr MsgButtons mbOK = 4;
inline constexpr MsgButtons mbCancel = 8;

// The standard icon shown by a message.
enum MsgIcon : uint8_t { miWarning = 0, miError = 1, miInformation = 2, miQuestion = 3, miApplication = 4 };

// Dialog results, everywhere in Orvanta.
inline constexpr int mrOk = 1;
inline constexpr int mrCancel = 2;
inline constexpr int mrYes = 6;
inline constexpr int mrNo = 7;

// The standard icon of a MsgIcon (the application's own icon for miApplication).
QIcon MsgIconImage(MsgIcon icon);

// The font of Orvanta's dialogs: the sans-serif family at 11 pixels, the pixel height the
// dialogs' layouts are drawn for.
QFont DialogFont();
