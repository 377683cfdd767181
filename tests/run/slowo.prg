// etykieta bez dwukropka
start: POB x
z
x: RST 1
