#pragma once

#include <QString>
#include <QStringView>

// What HL7 v2.5 calls the fields of the segments people read most, and the
// components of the data types those fields have, so that a position such as
// "PID-5.1" can be shown with its meaning. Fields number from 1 as in the
// position; in MSH, 1 is the field separator and 2 the encoding characters.

// The v2.5 name of a segment's field ("Patient Name"); empty where the table
// does not know the segment or the field.
QString hl7FieldName(QStringView segment, int field);

// The name of a component of that field ("family name"), by the field's data
// type; empty where unknown or where the type has no components (a field of
// a primitive type, or one whose type another field gives, as in OBX-5).
QString hl7ComponentName(QStringView segment, int field, int component);

// Both, as the viewer shows them after the position: "Patient Name, family
// name"; only the field's name where its component has none (component 0
// for the field as a whole, or component 1 of a primitive field); empty
// where the field is unknown.
QString hl7FieldDescription(QStringView segment, int field, int component);
