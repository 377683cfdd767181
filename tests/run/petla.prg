// pêtla bez koñca
start: SOB start
