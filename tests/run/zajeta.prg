start: POB x
       ZAJ x
       STP
x:     RST 1
