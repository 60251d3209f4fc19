# The resources of the sample library that the module resource tests load:
# named and numeric types, named and numbered resources, an empty one.
resource 'XBAR' 128 {
  u16 1 2 3
}

resource 'XBAR' 1 "MAIN" {
  bytes "main bar"
}

resource '4SAM' 5 "Sample" {
  hex "01 02 03"
}

resource 'STR#' 200 "Words" {
  u16 2
  pstr "one"
  pstr "two"
}

resource 3 7 {
  u32 0xDEADBEEF
}

resource 'XBAR' 300 "empty" {
}
