// dwa rejestry na jednej magistrali
DWA 3
STP
