// s³owo jak w komunikacie
start: POB x
Oczekiwany
x: RST 1
