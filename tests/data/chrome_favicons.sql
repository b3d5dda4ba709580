-- Chrome's Favicons with the planted icons of two pages.
CREATE TABLE icon_mapping(id INTEGER PRIMARY KEY,page_url LONGVARCHAR NOT NULL,icon_id INTEGER);
CREATE TABLE favicons(id INTEGER PRIMARY KEY,url LONGVARCHAR NOT NULL,icon_type INTEGER DEFAULT 1);
CREATE TABLE favicon_bitmaps(id INTEGER PRIMARY KEY,icon_id INTEGER NOT NULL,last_updated INTEGER DEFAULT 0,image_data BLOB,width INTEGER DEFAULT 0,height INTEGER DEFAULT 0,last_requested INTEGER NOT NULL DEFAULT 0);
INSERT INTO favicons VALUES(1,'https://mail.example.com/favicon.ico',1),(2,'https://news.example.org/f.ico',1);
INSERT INTO favicon_bitmaps VALUES(1,1,0,X'89504E47',16,16,0),(2,2,0,X'89504E47',16,16,0);
INSERT INTO icon_mapping VALUES(1,'https://mail.example.com/inbox',1),(2,'https://news.example.org/today',2);
