# The dialect name list: a count, then for each dialect its Windows language
# identifier and its name.
resource 'XDLN' 128 {
  u16 10
  u32 0x0409  pstr "English (United States)"
  u32 0x0809  pstr "English (United Kingdom)"
  u32 0x0407  pstr "Deutsch (Deutschland)"
  u32 0x0807  pstr "Deutsch (Schweiz)"
  u32 0x040C  pstr "Français (France)"
  u32 0x0C0C  pstr "Français (Canada)"
  u32 0x0410  pstr "Italiano"
  u32 0x0C0A  pstr "Español"
  u32 0x0413  pstr "Nederlands"
  u32 0x0416  pstr "Português (Brasil)"
}
