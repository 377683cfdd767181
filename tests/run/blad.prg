// b³¹d: nieznana etykieta
POB nic
STP
