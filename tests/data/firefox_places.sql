-- Firefox's places.sqlite with the planted history and one bookmark.
CREATE TABLE moz_origins (id INTEGER PRIMARY KEY, prefix TEXT NOT NULL, host TEXT NOT NULL, frecency INTEGER NOT
  NULL, UNIQUE (prefix, host));
CREATE TABLE moz_places (id INTEGER PRIMARY KEY, url LONGVARCHAR, title LONGVARCHAR, rev_host LONGVARCHAR,
  visit_count INTEGER DEFAULT 0, hidden INTEGER DEFAULT 0 NOT NULL, typed INTEGER DEFAULT 0 NOT NULL, frecency
  INTEGER DEFAULT -1 NOT NULL, last_visit_date INTEGER , guid TEXT, foreign_count INTEGER DEFAULT 0 NOT NULL,
  url_hash INTEGER DEFAULT 0 NOT NULL , description TEXT, preview_image_url TEXT, site_name TEXT, origin_id INTEGER
  REFERENCES moz_origins(id), recalc_frecency INTEGER NOT NULL DEFAULT 0);
CREATE TABLE moz_historyvisits (id INTEGER PRIMARY KEY, from_visit INTEGER, place_id INTEGER, visit_date INTEGER,
  visit_type INTEGER, session INTEGER, source INTEGER DEFAULT 0 NOT NULL, triggeringPlaceId INTEGER);
CREATE TABLE moz_inputhistory (place_id INTEGER NOT NULL, input LONGVARCHAR NOT NULL, use_count INTEGER, PRIMARY KEY
  (place_id, input));
CREATE TABLE moz_bookmarks (id INTEGER PRIMARY KEY, type INTEGER, fk INTEGER DEFAULT NULL, parent INTEGER, position
  INTEGER, title LONGVARCHAR, keyword_id INTEGER, folder_type TEXT, dateAdded INTEGER, lastModified INTEGER, guid
  TEXT, syncStatus INTEGER NOT NULL DEFAULT 0, syncChangeCounter INTEGER NOT NULL DEFAULT 1);
CREATE TABLE moz_anno_attributes (id INTEGER PRIMARY KEY, name VARCHAR(32) UNIQUE NOT NULL);
CREATE TABLE moz_annos (id INTEGER PRIMARY KEY, place_id INTEGER NOT NULL, anno_attribute_id INTEGER, content
  LONGVARCHAR, flags INTEGER DEFAULT 0, expiration INTEGER DEFAULT 0, type INTEGER DEFAULT 0, dateAdded INTEGER
  DEFAULT 0, lastModified INTEGER DEFAULT 0);
CREATE TABLE moz_places_metadata_search_queries (id INTEGER PRIMARY KEY, terms TEXT NOT NULL UNIQUE);
CREATE TABLE moz_places_metadata (id INTEGER PRIMARY KEY, place_id INTEGER NOT NULL, referrer_place_id INTEGER, created_at INTEGER NOT NULL DEFAULT 0, updated_at INTEGER NOT NULL DEFAULT 0, search_query_id INTEGER);
INSERT INTO moz_origins VALUES(1,'https://','mail.example.com',100),(2,'https://','news.example.org',50);
INSERT INTO moz_places(id,url,title,visit_count,last_visit_date,foreign_count,origin_id) VALUES(1,'https://mail.example.com/inbox','Inbox',4,1700000000000000,1,1),(2,'https://news.example.org/today','News',2,1700000000000000,0,2),(3,'https://news.example.org/old','Old',1,1600000000000000,0,2);
INSERT INTO moz_historyvisits(place_id,visit_date,visit_type) VALUES(1,1700000000000000,1),(2,1700000000000000,1),
  (3,1600000000000000,1);
INSERT INTO moz_inputhistory VALUES(2,'new',1);
INSERT INTO moz_bookmarks VALUES(1,2,NULL,0,0,'',NULL,NULL,0,0,'root________',0,1),
  (2,1,1,1,0,'Inbox',NULL,NULL,0,0,'bookmark0001',0,1);
INSERT INTO moz_anno_attributes VALUES(1,'downloads/destinationFileURI');
INSERT INTO moz_annos(place_id,anno_attribute_id,content) VALUES(3,1,'file:///C:/d/old.zip');
INSERT INTO moz_places_metadata_search_queries VALUES(1,'secret');
INSERT INTO moz_places_metadata(place_id,search_query_id) VALUES(2,1);
