// b³¹d wykonania: port, którego nie ma
WYP 7
STP
