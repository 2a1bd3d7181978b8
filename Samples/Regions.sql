CREATE TABLE "Regions"("TVXID" INT, "Region" TEXT(40), "Countries" TEXT(80));
CREATE INDEX "Regions" ON "Regions" ("TVXID") with primary
INSERT INTO "Regions" VALUES(0,'Alpine','Austria, Switzerland')
INSERT INTO "Regions" VALUES(1,'Nordic','Sweden, Norway, Denmark')
INSERT INTO "Regions" VALUES(2,'Atlantic','Ireland, Portugal')
INSERT INTO "Regions" VALUES(3,'Central','Germany, Czechia, Poland')
