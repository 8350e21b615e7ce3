*** image list ***
No = 0
label = logo
File = img/logo.bmp
X = 128
Y = 64
Check = 1
Memory = F 1
Address = 0
No = 1
label = Image0001
File = 
X = 16
Y = 8
Check = 0
Memory = VRAM
Address = 4660
EOF
