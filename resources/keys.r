# The names of keys and modifiers shown in menus and shortcut texts, by item:
# 2 to 4 the command, option and shift modifiers, 5 to 16 the function keys,
# then the named keys. Items 1, 32 and 36 are kept empty.
resource 'STR#' 9000 {
  u16 37
  pstr ""
  pstr "Ctrl" pstr "Alt" pstr "Shift"
  pstr "F1" pstr "F2" pstr "F3" pstr "F4" pstr "F5" pstr "F6"
  pstr "F7" pstr "F8" pstr "F9" pstr "F10" pstr "F11" pstr "F12"
  pstr "Print" pstr "Cancel" pstr "Pause" pstr "Help" pstr "Del"
  pstr "Home" pstr "End" pstr "Page Up" pstr "Page Down"
  pstr "Left" pstr "Right" pstr "Up" pstr "Down"
  pstr "Tab" pstr "Space"
  pstr ""
  pstr "Backspace" pstr "Enter" pstr "Esc"
  pstr ""
  pstr "Return"
}
