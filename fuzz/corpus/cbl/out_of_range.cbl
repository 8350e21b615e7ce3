*** image list ***
No = 0
label = a b
File = sub\\x.bmp
X = 40000
Y = 8
Memory = RAM
Address = -1
