-- Two tables Chrome's History has beyond chrome_history.sql, and the planted visits.
CREATE TABLE downloads_url_chains(id INTEGER NOT NULL,chain_index INTEGER NOT NULL,url LONGVARCHAR NOT NULL,PRIMARY
  KEY(id,chain_index));
CREATE TABLE visited_links(id INTEGER PRIMARY KEY AUTOINCREMENT NOT NULL,link_url_id INTEGER NOT NULL,top_level_url LONGVARCHAR NOT NULL,frame_url LONGVARCHAR NOT NULL,visit_count INTEGER DEFAULT 0 NOT NULL);
INSERT INTO meta VALUES('version','70');
INSERT INTO urls VALUES(1,'https://mail.example.com/inbox','Inbox',5,1,13350000000000000,0);
INSERT INTO urls VALUES(2,'https://news.example.org/today','News',2,0,13350000000000000,0);
INSERT INTO urls VALUES(3,'https://search.example.net/?q=secret','secret',1,1,13350000000000000,0);
INSERT INTO visits(url,visit_time) VALUES(1,13350000000000000),(1,13350000000000001),(2,13350000000000002),
  (3,13350000000000003);
INSERT INTO keyword_search_terms VALUES(2,3,'secret','secret');
INSERT INTO downloads VALUES(1,'g','C:\d\a.zip','C:\d\a.zip');
INSERT INTO downloads_url_chains VALUES(1,0,'https://files.example.org/a.zip');
INSERT INTO segments VALUES(1,'http://news.example.org/',2);
INSERT INTO segment_usage VALUES(1,1,1,2);
INSERT INTO visited_links VALUES(1,2,'https://news.example.org/','https://news.example.org/',1);
