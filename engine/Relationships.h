#pragma once
// The source's enforced relationships after every table of a run is written: each one
// Paradox can hold becomes
//   ALTER TABLE "child" ADD CONSTRAINT "name" FOREIGN KEY ("c1", ...)
//       REFERENCES "parent" ("p1", ...) ON UPDATE CASCADE|RESTRICT
// in the tables' written names; the others are schema report lines with the reason.
// Paradox links a child to a parent's primary key only, so a relationship is carried
// when both tables were written and the parent is keyed (with --keys access) on exactly
// the referenced fields, of the same types. The desktop engine refuses to link tables
// whose child rows lack their parent: such rows are counted and named, never deleted,
// and the relationship is listed instead.

#include <QString>
#include <QStringList>
#include <cstdint>
#include <vector>

#include "dataaccess/Connection.h"
#include "engine/SourceRules.h"
#include "engine/TableOutcome.h"

namespace velmora {

struct CarriedRelationship {
    const Relationship* source = nullptr;
    const TableOutcome* child = nullptr;
    const TableOutcome* parent = nullptr;
    // Written names, paired, in the order of the parent's key.
    QStringList childColumns;
    QStringList parentColumns;
    QStringList childSourceColumns;  // the same in the source's names
    QStringList parentSourceColumns;
    QString statement;
    QString described;  // the relationship as the schema report names it
};

struct RelationshipPlan {
    std::vector<CarriedRelationship> carried;
    QStringList leftBehind;  // including every cascade delete
};

// What becomes of each enforced relationship one of whose tables the run wrote.
RelationshipPlan PlanRelationships(const SourceRules& rules,
                                   const std::vector<TableOutcome>& tables, bool accessKeys);

// The child's rows whose reference names no parent row, read through `connection`: the
// target when the tables are in it, else the source (whose rows the listed statements
// carry). A row with a blank field in the reference refers to nothing.
struct Orphans {
    std::int64_t rows = 0;
    QStringList shown;  // the first rows, by TVXID or by their key
};
Orphans FindOrphans(db::Connection& connection, const CarriedRelationship& relationship,
                    bool inTarget);

// The schema report's line for a relationship that is not carried for `reason`.
QString NotCarried(const CarriedRelationship& relationship, const QString& reason);
QString OrphansReason(const Orphans& orphans);

}  // namespace velmora
