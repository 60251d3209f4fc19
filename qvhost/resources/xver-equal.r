# A compatibility record for the module (its resource base, 12000) at the
# newest value the module accepts.
resource 'xVER' 12000 {
  u32 0x6700000
}
