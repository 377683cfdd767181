// AK = -1: w s³owie 8-bitowym 255
        POB x
        STP
x:      RST -1
