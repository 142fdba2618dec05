€[playlist]
NumberOfEntries=99
File0=http://h.example.com/zero
File-1=x
File3=three
File1=http://h.example.com/one
File3=three-b
