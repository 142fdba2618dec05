€[playlist]
File1=café.wav
File2=http://b.example.com/€uro.mp3
