// rozkaz, którego lista nie zna
start: POB x
  FOO x
x: RST 1
