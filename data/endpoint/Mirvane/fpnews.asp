Official Mirvane News File
[UPDATENEWS {News-2026-12-01} New tutorials on banner headings are on the website. UPDATENEWS]
[NEWFLASH {Flash-2026-11-20} 24 new buttons for the Buttons family. NEWFLASH]
