-- Firefox's favicons.sqlite with the planted icons.
CREATE TABLE moz_icons (id INTEGER PRIMARY KEY, icon_url TEXT NOT NULL, fixed_icon_url_hash INTEGER NOT NULL, width
  INTEGER NOT NULL DEFAULT 0, root INTEGER NOT NULL DEFAULT 0, color INTEGER, expire_ms INTEGER NOT NULL DEFAULT 0,
  data BLOB);
CREATE TABLE moz_pages_w_icons (id INTEGER PRIMARY KEY, page_url TEXT NOT NULL, page_url_hash INTEGER NOT NULL);
CREATE TABLE moz_icons_to_pages (page_id INTEGER NOT NULL, icon_id INTEGER NOT NULL, expire_ms INTEGER NOT NULL
  DEFAULT 0, PRIMARY KEY (page_id, icon_id)) WITHOUT ROWID;
INSERT INTO moz_icons VALUES(1,'https://mail.example.com/i.png',1,16,0,NULL,0,X'01'),
  (2,'https://news.example.org/i.png',2,16,0,NULL,0,X'02'),
  (3,'https://mail.example.com/favicon.ico',3,16,1,NULL,0,X'03'),
  (4,'https://news.example.org/favicon.ico',4,16,1,NULL,0,X'04');
INSERT INTO moz_pages_w_icons VALUES(1,'https://mail.example.com/inbox',1),(2,'https://news.example.org/today',2);
INSERT INTO moz_icons_to_pages VALUES(1,1,0),(2,2,0);
