# A compatibility record for the module (its resource base, 12000) one above
# the newest value the module accepts: the module refuses to start.
resource 'xVER' 12000 {
  u32 0x6700001
}
