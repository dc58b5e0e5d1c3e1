Official Mirvane Connect File
VORNE Media update endpoint for Mirvane Kestrelite.
