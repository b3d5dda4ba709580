#!/usr/bin/env python3
"""Makes the browser benchmark's databases: a Chromium cookie store of
100,000 cookies over 5,000 sites with a keep list of 1,000 of them, and a
History of 100,000 pages and 300,000 visits with 1,000 bookmarked pages;
also the statements Debian's sqlite3 shell runs on a copy of each."""
import json
import os
import sqlite3
import sys

out = sys.argv[1]
os.makedirs(out, exist_ok=True)

SITES = 5000
sites = ["site%04d.example%d.com" % (i, i % 7) for i in range(SITES)]
keep = sites[::5]  # 1,000 sites


def new_db(name, layout):
    """A database made afresh in `out` with the layout the tests plant
    (tests/data/`layout`.sql)."""
    path = os.path.join(out, name)
    if os.path.exists(path):
        os.remove(path)
    db = sqlite3.connect(path)
    here = os.path.dirname(os.path.abspath(__file__))
    with open(os.path.join(here, "..", "tests", "data", layout + ".sql")) as f:
        db.executescript(f.read())
    return db


db = new_db("Cookies", "chrome_cookies")
rows = []
for i in range(100000):
    site = sites[i % SITES]
    host = ("." + site) if i % 3 == 0 else ("www." + site if i % 3 == 1 else site)
    rows.append((13300000000000000 + i, host, "", "c%d" % i, "", os.urandom(60), "/", 13400000000000000, 1, 1,
                 13300000000000000, 1, 1, 1, 0, 2, 443, 0, 0, 0))
db.executemany("INSERT INTO cookies VALUES(" + ",".join("?" * 20) + ")", rows)
db.commit()
db.close()
with open(os.path.join(out, "keep.txt"), "w") as f:
    f.write("\n".join(keep) + "\n")
# The program asks its keep list through a function of its own; the shell
# asks a table of the kept sites for the host and each parent domain (the
# hosts here have at most four labels): the same rule, as plain SQL.
host = "lower(ltrim(host_key, '.'))"
levels = [host]
for _ in range(3):
    levels.append("substr(%s, instr(%s, '.') + 1)" % (levels[-1], levels[-1]))
kept = "(" + " OR ".join("%s IN temp.keep" % level for level in levels) + ")"
with open(os.path.join(out, "cookies.sql"), "w") as f:
    f.write("CREATE TEMP TABLE keep(site TEXT PRIMARY KEY);\n")
    for s in keep:
        f.write("INSERT INTO temp.keep VALUES ('%s');\n" % s)
    f.write("BEGIN IMMEDIATE;\n")
    f.write("SELECT NULL, COUNT(*), SUM(LENGTH(host_key) + LENGTH(name) + LENGTH(value) + LENGTH(path) + "
            "LENGTH(encrypted_value)) FROM cookies WHERE NOT %s;\n" % kept)
    f.write("DELETE FROM cookies WHERE NOT %s;\n" % kept)
    f.write("COMMIT;\nVACUUM;\n")

db = new_db("History", "chrome_history")
urls = ["https://%s/page/%d?q=%d" % (sites[i % SITES], i, i * 7) for i in range(100000)]
db.executemany("INSERT INTO urls VALUES(?,?,?,3,0,?,0)",
               [(i + 1, u, "Page %d" % i, 13350000000000000 + i) for i, u in enumerate(urls)])
db.executemany("INSERT INTO visits(url,visit_time) VALUES(?,?)",
               [((i % 100000) + 1, 13350000000000000 + i) for i in range(300000)])
db.executemany("INSERT INTO keyword_search_terms VALUES(2,?,?,?)",
               [(i + 1, "term %d" % i, "term %d" % i) for i in range(0, 100000, 10)])
db.commit()
db.close()
bookmarked = urls[::100]  # 1,000 pages
children = [{"id": str(i + 10), "name": "b%d" % i, "type": "url", "url": u} for i, u in enumerate(bookmarked)]
with open(os.path.join(out, "Bookmarks"), "w") as f:
    json.dump({"checksum": "0", "roots": {"bookmark_bar": {"children": children, "type": "folder", "name": "Bar"},
                                           "other": {"children": [], "type": "folder", "name": "Other"}},
               "version": 1}, f)
with open(os.path.join(out, "Local State"), "w") as f:
    json.dump({"profile": {"info_cache": {"Default": {"name": "Bench"}}}}, f)
with open(os.path.join(out, "history.sql"), "w") as f:
    # The program asks the bookmarks through a function; the shell, a
    # table of them filled first.
    f.write("CREATE TEMP TABLE brisola_keep(url TEXT PRIMARY KEY);\n")
    for u in bookmarked:
        f.write("INSERT OR IGNORE INTO temp.brisola_keep(url) VALUES ('%s');\n" % u)
    f.write("BEGIN IMMEDIATE;\n")
    f.write("SELECT SUM(NOT (kept AND IFNULL(visit_count, 0) <= 0 AND IFNULL(last_visit_time, 0) <= 0)), "
            "SUM(CASE WHEN kept THEN 0 ELSE IFNULL(LENGTH(CAST(url AS BLOB)), 0) + "
            "IFNULL(LENGTH(CAST(title AS BLOB)), 0) END) FROM (SELECT url IN temp.brisola_keep AS kept, url, "
            "title, visit_count, last_visit_time FROM urls);\n")
    f.write("SELECT COUNT(*) FROM downloads;\n")
    for t in ["visits", "keyword_search_terms", "segment_usage", "segments", "downloads"]:
        f.write("DELETE FROM %s;\n" % t)
    f.write("DELETE FROM urls WHERE url NOT IN (SELECT url FROM temp.brisola_keep);\n")
    f.write("UPDATE urls SET visit_count = 0, typed_count = 0, last_visit_time = 0;\n")
    f.write("COMMIT;\nVACUUM;\n")
