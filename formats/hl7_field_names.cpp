#include "formats/hl7_field_names.h"

#include <algorithm>
#include <span>
#include <string_view>

namespace {

// Each row carries its number so that a row left out or written twice
// fails the build instead of shifting every name after it.
struct Field {
    int number;
    std::string_view type;  // "varies" where another field gives it
    std::string_view name;
};

struct Component {
    int number;
    std::string_view name;
};

constexpr Field kAl1[] = {
    {1, "SI", "Set ID - AL1"},
    {2, "CE", "Allergen Type Code"},
    {3, "CE", "Allergen Code/Mnemonic/Description"},
    {4, "CE", "Allergy Severity Code"},
    {5, "ST", "Allergy Reaction Code"},
    {6, "DT", "Identification Date"},
};

constexpr Field kDg1[] = {
    {1, "SI", "Set ID - DG1"},
    {2, "ID", "Diagnosis Coding Method"},
    {3, "CE", "Diagnosis Code - DG1"},
    {4, "ST", "Diagnosis Description"},
    {5, "TS", "Diagnosis Date/Time"},
    {6, "IS", "Diagnosis Type"},
    {7, "CE", "Major Diagnostic Category"},
    {8, "CE", "Diagnostic Related Group"},
    {9, "ID", "DRG Approval Indicator"},
    {10, "IS", "DRG Grouper Review Code"},
    {11, "CE", "Outlier Type"},
    {12, "NM", "Outlier Days"},
    {13, "CP", "Outlier Cost"},
    {14, "ST", "Grouper Version And Type"},
    {15, "ID", "Diagnosis Priority"},
    {16, "XCN", "Diagnosing Clinician"},
    {17, "IS", "Diagnosis Classification"},
    {18, "ID", "Confidential Indicator"},
    {19, "TS", "Attestation Date/Time"},
    {20, "EI", "Diagnosis Identifier"},
    {21, "ID", "Diagnosis Action Code"},
};

constexpr Field kErr[] = {
    {1, "ELD", "Error Code and Location"},
    {2, "ERL", "Error Location"},
    {3, "CWE", "HL7 Error Code"},
    {4, "ID", "Severity"},
    {5, "CWE", "Application Error Code"},
    {6, "ST", "Application Error Parameter"},
    {7, "TX", "Diagnostic Information"},
    {8, "TX", "User Message"},
    {9, "IS", "Inform Person Indicator"},
    {10, "CWE", "Override Type"},
    {11, "CWE", "Override Reason Code"},
    {12, "XTN", "Help Desk Contact Point"},
};

constexpr Field kEvn[] = {
    {1, "ID", "Event Type Code"},
    {2, "TS", "Recorded Date/Time"},
    {3, "TS", "Date/Time Planned Event"},
    {4, "IS", "Event Reason Code"},
    {5, "XCN", "Operator ID"},
    {6, "TS", "Event Occurred"},
    {7, "HD", "Event Facility"},
};

constexpr Field kGt1[] = {
    {1, "SI", "Set ID - GT1"},
    {2, "CX", "Guarantor Number"},
    {3, "XPN", "Guarantor Name"},
    {4, "XPN", "Guarantor Spouse Name"},
    {5, "XAD", "Guarantor Address"},
    {6, "XTN", "Guarantor Ph Num - Home"},
    {7, "XTN", "Guarantor Ph Num - Business"},
    {8, "TS", "Guarantor Date/Time Of Birth"},
    {9, "IS", "Guarantor Administrative Sex"},
    {10, "IS", "Guarantor Type"},
    {11, "CE", "Guarantor Relationship"},
    {12, "ST", "Guarantor SSN"},
    {13, "DT", "Guarantor Date - Begin"},
    {14, "DT", "Guarantor Date - End"},
    {15, "NM", "Guarantor Priority"},
    {16, "XPN", "Guarantor Employer Name"},
    {17, "XAD", "Guarantor Employer Address"},
    {18, "XTN", "Guarantor Employer Phone Number"},
    {19, "CX", "Guarantor Employee ID Number"},
    {20, "IS", "Guarantor Employment Status"},
    {21, "XON", "Guarantor Organization Name"},
    {22, "ID", "Guarantor Billing Hold Flag"},
    {23, "CE", "Guarantor Credit Rating Code"},
    {24, "TS", "Guarantor Death Date And Time"},
    {25, "ID", "Guarantor Death Flag"},
    {26, "CE", "Guarantor Charge Adjustment Code"},
    {27, "CP", "Guarantor Household Annual Income"},
    {28, "NM", "Guarantor Household Size"},
    {29, "CX", "Guarantor Employer ID Number"},
    {30, "CE", "Guarantor Marital Status Code"},
    {31, "DT", "Guarantor Hire Effective Date"},
    {32, "DT", "Employment Stop Date"},
    {33, "IS", "Living Dependency"},
    {34, "IS", "Ambulatory Status"},
    {35, "CE", "Citizenship"},
    {36, "CE", "Primary Language"},
    {37, "IS", "Living Arrangement"},
    {38, "CE", "Publicity Code"},
    {39, "ID", "Protection Indicator"},
    {40, "IS", "Student Indicator"},
    {41, "CE", "Religion"},
    {42, "XPN", "Mother's Maiden Name"},
    {43, "CE", "Nationality"},
    {44, "CE", "Ethnic Group"},
    {45, "XPN", "Contact Person's Name"},
    {46, "XTN", "Contact Person's Telephone Number"},
    {47, "CE", "Contact Reason"},
    {48, "IS", "Contact Relationship"},
    {49, "ST", "Job Title"},
    {50, "JCC", "Job Code/Class"},
    {51, "XON", "Guarantor Employer's Organization Name"},
    {52, "IS", "Handicap"},
    {53, "IS", "Job Status"},
    {54, "FC", "Guarantor Financial Class"},
    {55, "CE", "Guarantor Race"},
    {56, "ST", "Guarantor Birth Place"},
    {57, "IS", "VIP Indicator"},
};

constexpr Field kIn1[] = {
    {1, "SI", "Set ID - IN1"},
    {2, "CE", "Insurance Plan ID"},
    {3, "CX", "Insurance Company ID"},
    {4, "XON", "Insurance Company Name"},
    {5, "XAD", "Insurance Company Address"},
    {6, "XPN", "Insurance Co Contact Person"},
    {7, "XTN", "Insurance Co Phone Number"},
    {8, "ST", "Group Number"},
    {9, "XON", "Group Name"},
    {10, "CX", "Insured's Group Emp ID"},
    {11, "XON", "Insured's Group Emp Name"},
    {12, "DT", "Plan Effective Date"},
    {13, "DT", "Plan Expiration Date"},
    {14, "AUI", "Authorization Information"},
    {15, "IS", "Plan Type"},
    {16, "XPN", "Name Of Insured"},
    {17, "CE", "Insured's Relationship To Patient"},
    {18, "TS", "Insured's Date Of Birth"},
    {19, "XAD", "Insured's Address"},
    {20, "IS", "Assignment Of Benefits"},
    {21, "IS", "Coordination Of Benefits"},
    {22, "ST", "Coord Of Ben. Priority"},
    {23, "ID", "Notice Of Admission Flag"},
    {24, "DT", "Notice Of Admission Date"},
    {25, "ID", "Report Of Eligibility Flag"},
    {26, "DT", "Report Of Eligibility Date"},
    {27, "IS", "Release Information Code"},
    {28, "ST", "Pre-Admit Cert (PAC)"},
    {29, "TS", "Verification Date/Time"},
    {30, "XCN", "Verification By"},
    {31, "IS", "Type Of Agreement Code"},
    {32, "IS", "Billing Status"},
    {33, "NM", "Lifetime Reserve Days"},
    {34, "NM", "Delay Before L.R. Day"},
    {35, "IS", "Company Plan Code"},
    {36, "ST", "Policy Number"},
    {37, "CP", "Policy Deductible"},
    {38, "CP", "Policy Limit - Amount"},
    {39, "NM", "Policy Limit - Days"},
    {40, "CP", "Room Rate - Semi-Private"},
    {41, "CP", "Room Rate - Private"},
    {42, "CE", "Insured's Employment Status"},
    {43, "IS", "Insured's Administrative Sex"},
    {44, "XAD", "Insured's Employer's Address"},
    {45, "ST", "Verification Status"},
    {46, "IS", "Prior Insurance Plan ID"},
    {47, "IS", "Coverage Type"},
    {48, "IS", "Handicap"},
    {49, "CX", "Insured's ID Number"},
    {50, "IS", "Signature Code"},
    {51, "DT", "Signature Code Date"},
    {52, "ST", "Insured's Birth Place"},
    {53, "IS", "VIP Indicator"},
};

constexpr Field kMsa[] = {
    {1, "ID", "Acknowledgment Code"},
    {2, "ST", "Message Control ID"},
    {3, "ST", "Text Message"},
    {4, "NM", "Expected Sequence Number"},
    {5, "ID", "Delayed Acknowledgment Type"},
    {6, "CE", "Error Condition"},
};

constexpr Field kMsh[] = {
    {1, "ST", "Field Separator"},
    {2, "ST", "Encoding Characters"},
    {3, "HD", "Sending Application"},
    {4, "HD", "Sending Facility"},
    {5, "HD", "Receiving Application"},
    {6, "HD", "Receiving Facility"},
    {7, "TS", "Date/Time Of Message"},
    {8, "ST", "Security"},
    {9, "MSG", "Message Type"},
    {10, "ST", "Message Control ID"},
    {11, "PT", "Processing ID"},
    {12, "VID", "Version ID"},
    {13, "NM", "Sequence Number"},
    {14, "ST", "Continuation Pointer"},
    {15, "ID", "Accept Acknowledgment Type"},
    {16, "ID", "Application Acknowledgment Type"},
    {17, "ID", "Country Code"},
    {18, "ID", "Character Set"},
    {19, "CE", "Principal Language Of Message"},
    {20, "ID", "Alternate Character Set Handling Scheme"},
    {21, "EI", "Message Profile Identifier"},
};

constexpr Field kNk1[] = {
    {1, "SI", "Set ID - NK1"},
    {2, "XPN", "Name"},
    {3, "CE", "Relationship"},
    {4, "XAD", "Address"},
    {5, "XTN", "Phone Number"},
    {6, "XTN", "Business Phone Number"},
    {7, "CE", "Contact Role"},
    {8, "DT", "Start Date"},
    {9, "DT", "End Date"},
    {10, "ST", "Next of Kin / Associated Parties Job Title"},
    {11, "JCC", "Next of Kin / Associated Parties Job Code/Class"},
    {12, "CX", "Next of Kin / Associated Parties Employee Number"},
    {13, "XON", "Organization Name - NK1"},
    {14, "CE", "Marital Status"},
    {15, "IS", "Administrative Sex"},
    {16, "TS", "Date/Time of Birth"},
    {17, "IS", "Living Dependency"},
    {18, "IS", "Ambulatory Status"},
    {19, "CE", "Citizenship"},
    {20, "CE", "Primary Language"},
    {21, "IS", "Living Arrangement"},
    {22, "CE", "Publicity Code"},
    {23, "ID", "Protection Indicator"},
    {24, "IS", "Student Indicator"},
    {25, "CE", "Religion"},
    {26, "XPN", "Mother's Maiden Name"},
    {27, "CE", "Nationality"},
    {28, "CE", "Ethnic Group"},
    {29, "CE", "Contact Reason"},
    {30, "XPN", "Contact Person's Name"},
    {31, "XTN", "Contact Person's Telephone Number"},
    {32, "XAD", "Contact Person's Address"},
    {33, "CX", "Next of Kin/Associated Party's Identifiers"},
    {34, "IS", "Job Status"},
    {35, "CE", "Race"},
    {36, "IS", "Handicap"},
    {37, "ST", "Contact Person Social Security Number"},
    {38, "ST", "Next of Kin Birth Place"},
    {39, "IS", "VIP Indicator"},
};

constexpr Field kNte[] = {
    {1, "SI", "Set ID - NTE"},
    {2, "ID", "Source of Comment"},
    {3, "FT", "Comment"},
    {4, "CE", "Comment Type"},
};

constexpr Field kObr[] = {
    {1, "SI", "Set ID - OBR"},
    {2, "EI", "Placer Order Number"},
    {3, "EI", "Filler Order Number"},
    {4, "CE", "Universal Service Identifier"},
    {5, "ID", "Priority - OBR"},
    {6, "TS", "Requested Date/Time"},
    {7, "TS", "Observation Date/Time"},
    {8, "TS", "Observation End Date/Time"},
    {9, "CQ", "Collection Volume"},
    {10, "XCN", "Collector Identifier"},
    {11, "ID", "Specimen Action Code"},
    {12, "CE", "Danger Code"},
    {13, "ST", "Relevant Clinical Information"},
    {14, "TS", "Specimen Received Date/Time"},
    {15, "SPS", "Specimen Source"},
    {16, "XCN", "Ordering Provider"},
    {17, "XTN", "Order Callback Phone Number"},
    {18, "ST", "Placer Field 1"},
    {19, "ST", "Placer Field 2"},
    {20, "ST", "Filler Field 1"},
    {21, "ST", "Filler Field 2"},
    {22, "TS", "Results Rpt/Status Chng - Date/Time"},
    {23, "MOC", "Charge to Practice"},
    {24, "ID", "Diagnostic Serv Sect ID"},
    {25, "ID", "Result Status"},
    {26, "PRL", "Parent Result"},
    {27, "TQ", "Quantity/Timing"},
    {28, "XCN", "Result Copies To"},
    {29, "EIP", "Parent"},
    {30, "ID", "Transportation Mode"},
    {31, "CE", "Reason for Study"},
    {32, "NDL", "Principal Result Interpreter"},
    {33, "NDL", "Assistant Result Interpreter"},
    {34, "NDL", "Technician"},
    {35, "NDL", "Transcriptionist"},
    {36, "TS", "Scheduled Date/Time"},
    {37, "NM", "Number of Sample Containers"},
    {38, "CE", "Transport Logistics of Collected Sample"},
    {39, "CE", "Collector's Comment"},
    {40, "CE", "Transport Arrangement Responsibility"},
    {41, "ID", "Transport Arranged"},
    {42, "ID", "Escort Required"},
    {43, "CE", "Planned Patient Transport Comment"},
    {44, "CE", "Procedure Code"},
    {45, "CE", "Procedure Code Modifier"},
    {46, "CE", "Placer Supplemental Service Information"},
    {47, "CE", "Filler Supplemental Service Information"},
};

constexpr Field kObx[] = {
    {1, "SI", "Set ID - OBX"},
    {2, "ID", "Value Type"},
    {3, "CE", "Observation Identifier"},
    {4, "ST", "Observation Sub-ID"},
    {5, "varies", "Observation Value"},  // of the type OBX-2 names
    {6, "CE", "Units"},
    {7, "ST", "References Range"},
    {8, "IS", "Abnormal Flags"},
    {9, "NM", "Probability"},
    {10, "ID", "Nature of Abnormal Test"},
    {11, "ID", "Observation Result Status"},
    {12, "TS", "Effective Date of Reference Range"},
    {13, "ST", "User Defined Access Checks"},
    {14, "TS", "Date/Time of the Observation"},
    {15, "CE", "Producer's ID"},
    {16, "XCN", "Responsible Observer"},
    {17, "CE", "Observation Method"},
    {18, "EI", "Equipment Instance Identifier"},
    {19, "TS", "Date/Time of the Analysis"},
};

constexpr Field kOrc[] = {
    {1, "ID", "Order Control"},
    {2, "EI", "Placer Order Number"},
    {3, "EI", "Filler Order Number"},
    {4, "EI", "Placer Group Number"},
    {5, "ID", "Order Status"},
    {6, "ID", "Response Flag"},
    {7, "TQ", "Quantity/Timing"},
    {8, "EIP", "Parent"},
    {9, "TS", "Date/Time of Transaction"},
    {10, "XCN", "Entered By"},
    {11, "XCN", "Verified By"},
    {12, "XCN", "Ordering Provider"},
    {13, "PL", "Enterer's Location"},
    {14, "XTN", "Call Back Phone Number"},
    {15, "TS", "Order Effective Date/Time"},
    {16, "CE", "Order Control Code Reason"},
    {17, "CE", "Entering Organization"},
    {18, "CE", "Entering Device"},
    {19, "XCN", "Action By"},
    {20, "CE", "Advanced Beneficiary Notice Code"},
    {21, "XON", "Ordering Facility Name"},
    {22, "XAD", "Ordering Facility Address"},
    {23, "XTN", "Ordering Facility Phone Number"},
    {24, "XAD", "Ordering Provider Address"},
    {25, "CWE", "Order Status Modifier"},
    {26, "CWE", "Advanced Beneficiary Notice Override Reason"},
    {27, "TS", "Filler's Expected Availability Date/Time"},
    {28, "CWE", "Confidentiality Code"},
    {29, "CWE", "Order Type"},
    {30, "CNE", "Enterer Authorization Mode"},
    {31, "CWE", "Parent Universal Service Identifier"},
};

constexpr Field kPd1[] = {
    {1, "IS", "Living Dependency"},
    {2, "IS", "Living Arrangement"},
    {3, "XON", "Patient Primary Facility"},
    {4, "XCN", "Patient Primary Care Provider Name & ID No."},
    {5, "IS", "Student Indicator"},
    {6, "IS", "Handicap"},
    {7, "IS", "Living Will Code"},
    {8, "IS", "Organ Donor Code"},
    {9, "ID", "Separate Bill"},
    {10, "CX", "Duplicate Patient"},
    {11, "CE", "Publicity Code"},
    {12, "ID", "Protection Indicator"},
    {13, "DT", "Protection Indicator Effective Date"},
    {14, "XON", "Place of Worship"},
    {15, "CE", "Advance Directive Code"},
    {16, "IS", "Immunization Registry Status"},
    {17, "DT", "Immunization Registry Status Effective Date"},
    {18, "DT", "Publicity Code Effective Date"},
    {19, "IS", "Military Branch"},
    {20, "IS", "Military Rank/Grade"},
    {21, "IS", "Military Status"},
};

constexpr Field kPid[] = {
    {1, "SI", "Set ID - PID"},
    {2, "CX", "Patient ID"},
    {3, "CX", "Patient Identifier List"},
    {4, "CX", "Alternate Patient ID - PID"},
    {5, "XPN", "Patient Name"},
    {6, "XPN", "Mother's Maiden Name"},
    {7, "TS", "Date/Time of Birth"},
    {8, "IS", "Administrative Sex"},
    {9, "XPN", "Patient Alias"},
    {10, "CE", "Race"},
    {11, "XAD", "Patient Address"},
    {12, "IS", "County Code"},
    {13, "XTN", "Phone Number - Home"},
    {14, "XTN", "Phone Number - Business"},
    {15, "CE", "Primary Language"},
    {16, "CE", "Marital Status"},
    {17, "CE", "Religion"},
    {18, "CX", "Patient Account Number"},
    {19, "ST", "SSN Number - Patient"},
    {20, "DLN", "Driver's License Number - Patient"},
    {21, "CX", "Mother's Identifier"},
    {22, "CE", "Ethnic Group"},
    {23, "ST", "Birth Place"},
    {24, "ID", "Multiple Birth Indicator"},
    {25, "NM", "Birth Order"},
    {26, "CE", "Citizenship"},
    {27, "CE", "Veterans Military Status"},
    {28, "CE", "Nationality"},
    {29, "TS", "Patient Death Date and Time"},
    {30, "ID", "Patient Death Indicator"},
    {31, "ID", "Identity Unknown Indicator"},
    {32, "IS", "Identity Reliability Code"},
    {33, "TS", "Last Update Date/Time"},
    {34, "HD", "Last Update Facility"},
    {35, "CE", "Species Code"},
    {36, "CE", "Breed Code"},
    {37, "ST", "Strain"},
    {38, "CE", "Production Class Code"},
    {39, "CWE", "Tribal Citizenship"},
};

constexpr Field kPr1[] = {
    {1, "SI", "Set ID - PR1"},
    {2, "IS", "Procedure Coding Method"},
    {3, "CE", "Procedure Code"},
    {4, "ST", "Procedure Description"},
    {5, "TS", "Procedure Date/Time"},
    {6, "IS", "Procedure Functional Type"},
    {7, "NM", "Procedure Minutes"},
    {8, "XCN", "Anesthesiologist"},
    {9, "IS", "Anesthesia Code"},
    {10, "NM", "Anesthesia Minutes"},
    {11, "XCN", "Surgeon"},
    {12, "XCN", "Procedure Practitioner"},
    {13, "CE", "Consent Code"},
    {14, "ID", "Procedure Priority"},
    {15, "CE", "Associated Diagnosis Code"},
    {16, "CE", "Procedure Code Modifier"},
    {17, "IS", "Procedure DRG Type"},
    {18, "CE", "Tissue Type Code"},
    {19, "EI", "Procedure Identifier"},
    {20, "ID", "Procedure Action Code"},
};

constexpr Field kPv1[] = {
    {1, "SI", "Set ID - PV1"},
    {2, "IS", "Patient Class"},
    {3, "PL", "Assigned Patient Location"},
    {4, "IS", "Admission Type"},
    {5, "CX", "Preadmit Number"},
    {6, "PL", "Prior Patient Location"},
    {7, "XCN", "Attending Doctor"},
    {8, "XCN", "Referring Doctor"},
    {9, "XCN", "Consulting Doctor"},
    {10, "IS", "Hospital Service"},
    {11, "PL", "Temporary Location"},
    {12, "IS", "Preadmit Test Indicator"},
    {13, "IS", "Re-admission Indicator"},
    {14, "IS", "Admit Source"},
    {15, "IS", "Ambulatory Status"},
    {16, "IS", "VIP Indicator"},
    {17, "XCN", "Admitting Doctor"},
    {18, "IS", "Patient Type"},
    {19, "CX", "Visit Number"},
    {20, "FC", "Financial Class"},
    {21, "IS", "Charge Price Indicator"},
    {22, "IS", "Courtesy Code"},
    {23, "IS", "Credit Rating"},
    {24, "IS", "Contract Code"},
    {25, "DT", "Contract Effective Date"},
    {26, "NM", "Contract Amount"},
    {27, "NM", "Contract Period"},
    {28, "IS", "Interest Code"},
    {29, "IS", "Transfer to Bad Debt Code"},
    {30, "DT", "Transfer to Bad Debt Date"},
    {31, "IS", "Bad Debt Agency Code"},
    {32, "NM", "Bad Debt Transfer Amount"},
    {33, "NM", "Bad Debt Recovery Amount"},
    {34, "IS", "Delete Account Indicator"},
    {35, "DT", "Delete Account Date"},
    {36, "IS", "Discharge Disposition"},
    {37, "DLD", "Discharged to Location"},
    {38, "CE", "Diet Type"},
    {39, "IS", "Servicing Facility"},
    {40, "IS", "Bed Status"},
    {41, "IS", "Account Status"},
    {42, "PL", "Pending Location"},
    {43, "PL", "Prior Temporary Location"},
    {44, "TS", "Admit Date/Time"},
    {45, "TS", "Discharge Date/Time"},
    {46, "NM", "Current Patient Balance"},
    {47, "NM", "Total Charges"},
    {48, "NM", "Total Adjustments"},
    {49, "NM", "Total Payments"},
    {50, "CX", "Alternate Visit ID"},
    {51, "IS", "Visit Indicator"},
    {52, "XCN", "Other Healthcare Provider"},
};

constexpr Field kPv2[] = {
    {1, "PL", "Prior Pending Location"},
    {2, "CE", "Accommodation Code"},
    {3, "CE", "Admit Reason"},
    {4, "CE", "Transfer Reason"},
    {5, "ST", "Patient Valuables"},
    {6, "ST", "Patient Valuables Location"},
    {7, "IS", "Visit User Code"},
    {8, "TS", "Expected Admit Date/Time"},
    {9, "TS", "Expected Discharge Date/Time"},
    {10, "NM", "Estimated Length of Inpatient Stay"},
    {11, "NM", "Actual Length of Inpatient Stay"},
    {12, "ST", "Visit Description"},
    {13, "XCN", "Referral Source Code"},
    {14, "DT", "Previous Service Date"},
    {15, "ID", "Employment Illness Related Indicator"},
    {16, "IS", "Purge Status Code"},
    {17, "DT", "Purge Status Date"},
    {18, "IS", "Special Program Code"},
    {19, "ID", "Retention Indicator"},
    {20, "NM", "Expected Number of Insurance Plans"},
    {21, "IS", "Visit Publicity Code"},
    {22, "ID", "Visit Protection Indicator"},
    {23, "XON", "Clinic Organization Name"},
    {24, "IS", "Patient Status Code"},
    {25, "IS", "Visit Priority Code"},
    {26, "DT", "Previous Treatment Date"},
    {27, "IS", "Expected Discharge Disposition"},
    {28, "DT", "Signature on File Date"},
    {29, "DT", "First Similar Illness Date"},
    {30, "CE", "Patient Charge Adjustment Code"},
    {31, "IS", "Recurring Service Code"},
    {32, "ID", "Billing Media Code"},
    {33, "TS", "Expected Surgery Date and Time"},
    {34, "ID", "Military Partnership Code"},
    {35, "ID", "Military Non-Availability Code"},
    {36, "ID", "Newborn Baby Indicator"},
    {37, "ID", "Baby Detained Indicator"},
    {38, "CE", "Mode of Arrival Code"},
    {39, "CE", "Recreational Drug Use Code"},
    {40, "CE", "Admission Level of Care Code"},
    {41, "CE", "Precaution Code"},
    {42, "CE", "Patient Condition Code"},
    {43, "IS", "Living Will Code"},
    {44, "IS", "Organ Donor Code"},
    {45, "CE", "Advance Directive Code"},
    {46, "DT", "Patient Status Effective Date"},
    {47, "TS", "Expected LOA Return Date/Time"},
    {48, "TS", "Expected Pre-admission Testing Date/Time"},
    {49, "IS", "Notify Clergy Code"},
};

constexpr Field kRxa[] = {
    {1, "NM", "Give Sub-ID Counter"},
    {2, "NM", "Administration Sub-ID Counter"},
    {3, "TS", "Date/Time Start of Administration"},
    {4, "TS", "Date/Time End of Administration"},
    {5, "CE", "Administered Code"},
    {6, "NM", "Administered Amount"},
    {7, "CE", "Administered Units"},
    {8, "CE", "Administered Dosage Form"},
    {9, "CE", "Administration Notes"},
    {10, "XCN", "Administering Provider"},
    {11, "LA2", "Administered-at Location"},
    {12, "ST", "Administered Per (Time Unit)"},
    {13, "NM", "Administered Strength"},
    {14, "CE", "Administered Strength Units"},
    {15, "ST", "Substance Lot Number"},
    {16, "TS", "Substance Expiration Date"},
    {17, "CE", "Substance Manufacturer Name"},
    {18, "CE", "Substance/Treatment Refusal Reason"},
    {19, "CE", "Indication"},
    {20, "ID", "Completion Status"},
    {21, "ID", "Action Code - RXA"},
    {22, "TS", "System Entry Date/Time"},
    {23, "NM", "Administered Drug Strength Volume"},
    {24, "CWE", "Administered Drug Strength Volume Units"},
    {25, "CWE", "Administered Barcode Identifier"},
    {26, "ID", "Pharmacy Order Type"},
};

constexpr Field kSch[] = {
    {1, "EI", "Placer Appointment ID"},
    {2, "EI", "Filler Appointment ID"},
    {3, "NM", "Occurrence Number"},
    {4, "EI", "Placer Group Number"},
    {5, "CE", "Schedule ID"},
    {6, "CE", "Event Reason"},
    {7, "CE", "Appointment Reason"},
    {8, "CE", "Appointment Type"},
    {9, "NM", "Appointment Duration"},
    {10, "CE", "Appointment Duration Units"},
    {11, "TQ", "Appointment Timing Quantity"},
    {12, "XCN", "Placer Contact Person"},
    {13, "XTN", "Placer Contact Phone Number"},
    {14, "XAD", "Placer Contact Address"},
    {15, "PL", "Placer Contact Location"},
    {16, "XCN", "Filler Contact Person"},
    {17, "XTN", "Filler Contact Phone Number"},
    {18, "XAD", "Filler Contact Address"},
    {19, "PL", "Filler Contact Location"},
    {20, "XCN", "Entered By Person"},
    {21, "XTN", "Entered By Phone Number"},
    {22, "PL", "Entered By Location"},
    {23, "EI", "Parent Placer Appointment ID"},
    {24, "EI", "Parent Filler Appointment ID"},
    {25, "CE", "Filler Status Code"},
    {26, "EI", "Placer Order Number"},
    {27, "EI", "Filler Order Number"},
};

constexpr Field kSpm[] = {
    {1, "SI", "Set ID - SPM"},
    {2, "EIP", "Specimen ID"},
    {3, "EIP", "Specimen Parent IDs"},
    {4, "CWE", "Specimen Type"},
    {5, "CWE", "Specimen Type Modifier"},
    {6, "CWE", "Specimen Additives"},
    {7, "CWE", "Specimen Collection Method"},
    {8, "CWE", "Specimen Source Site"},
    {9, "CWE", "Specimen Source Site Modifier"},
    {10, "CWE", "Specimen Collection Site"},
    {11, "CWE", "Specimen Role"},
    {12, "CQ", "Specimen Collection Amount"},
    {13, "NM", "Grouped Specimen Count"},
    {14, "ST", "Specimen Description"},
    {15, "CWE", "Specimen Handling Code"},
    {16, "CWE", "Specimen Risk Code"},
    {17, "DR", "Specimen Collection Date/Time"},
    {18, "TS", "Specimen Received Date/Time"},
    {19, "TS", "Specimen Expiration Date/Time"},
    {20, "ID", "Specimen Availability"},
    {21, "CWE", "Specimen Reject Reason"},
    {22, "CWE", "Specimen Quality"},
    {23, "CWE", "Specimen Appropriateness"},
    {24, "CWE", "Specimen Condition"},
    {25, "CQ", "Specimen Current Quantity"},
    {26, "NM", "Number of Specimen Containers"},
    {27, "CWE", "Container Type"},
    {28, "CWE", "Container Condition"},
    {29, "CWE", "Specimen Child Role"},
};

constexpr Field kTxa[] = {
    {1, "SI", "Set ID - TXA"},
    {2, "IS", "Document Type"},
    {3, "ID", "Document Content Presentation"},
    {4, "TS", "Activity Date/Time"},
    {5, "XCN", "Primary Activity Provider Code/Name"},
    {6, "TS", "Origination Date/Time"},
    {7, "TS", "Transcription Date/Time"},
    {8, "TS", "Edit Date/Time"},
    {9, "XCN", "Originator Code/Name"},
    {10, "XCN", "Assigned Document Authenticator"},
    {11, "XCN", "Transcriptionist Code/Name"},
    {12, "EI", "Unique Document Number"},
    {13, "EI", "Parent Document Number"},
    {14, "EI", "Placer Order Number"},
    {15, "EI", "Filler Order Number"},
    {16, "ST", "Unique Document File Name"},
    {17, "ID", "Document Completion Status"},
    {18, "ID", "Document Confidentiality Status"},
    {19, "ID", "Document Availability Status"},
    {20, "ID", "Document Storage Status"},
    {21, "ST", "Document Change Reason"},
    {22, "PPN", "Authentication Person, Time Stamp"},
    {23, "XCN", "Distributed Copies (Code and Name of Recipients)"},
};

// The composite types those fields have. A type missing here is primitive
// (ST, NM, ID, IS, SI, TX, FT, DT, DTM...): its value is the field itself.
constexpr Component kAui[] = {{1, "authorization number"}, {2, "date"}, {3, "source"}};
constexpr Component kCe[] = {
    {1, "identifier"}, {2, "text"}, {3, "name of coding system"},
    {4, "alternate identifier"}, {5, "alternate text"}, {6, "name of alternate coding system"},
};
constexpr Component kCwe[] = {  // CNE's too
    {1, "identifier"}, {2, "text"}, {3, "name of coding system"},
    {4, "alternate identifier"}, {5, "alternate text"}, {6, "name of alternate coding system"},
    {7, "coding system version ID"}, {8, "alternate coding system version ID"}, {9, "original text"},
};
constexpr Component kCp[] = {
    {1, "price"}, {2, "price type"}, {3, "from value"}, {4, "to value"}, {5, "range units"}, {6, "range type"},
};
constexpr Component kCq[] = {{1, "quantity"}, {2, "units"}};
constexpr Component kCx[] = {
    {1, "ID number"}, {2, "check digit"}, {3, "check digit scheme"}, {4, "assigning authority"},
    {5, "identifier type code"}, {6, "assigning facility"}, {7, "effective date"}, {8, "expiration date"},
    {9, "assigning jurisdiction"}, {10, "assigning agency or department"},
};
constexpr Component kDld[] = {{1, "discharge disposition"}, {2, "effective date"}};
constexpr Component kDln[] = {{1, "license number"}, {2, "issuing state, province, country"}, {3, "expiration date"}};
constexpr Component kDr[] = {{1, "range start date/time"}, {2, "range end date/time"}};
constexpr Component kEi[] = {{1, "entity identifier"}, {2, "namespace ID"}, {3, "universal ID"}, {4, "universal ID type"}};
constexpr Component kEip[] = {{1, "placer assigned identifier"}, {2, "filler assigned identifier"}};
constexpr Component kEld[] = {{1, "segment ID"}, {2, "segment sequence"}, {3, "field position"}, {4, "code identifying error"}};
constexpr Component kErl[] = {
    {1, "segment ID"}, {2, "segment sequence"}, {3, "field position"},
    {4, "field repetition"}, {5, "component number"}, {6, "sub-component number"},
};
constexpr Component kFc[] = {{1, "financial class code"}, {2, "effective date"}};
constexpr Component kFn[] = {
    {1, "surname"}, {2, "own surname prefix"}, {3, "own surname"},
    {4, "surname prefix from partner/spouse"}, {5, "surname from partner/spouse"},
};
constexpr Component kHd[] = {{1, "namespace ID"}, {2, "universal ID"}, {3, "universal ID type"}};
constexpr Component kJcc[] = {{1, "job code"}, {2, "job class"}, {3, "job description text"}};
constexpr Component kLa2[] = {
    {1, "point of care"}, {2, "room"}, {3, "bed"}, {4, "facility"}, {5, "location status"},
    {6, "patient location type"}, {7, "building"}, {8, "floor"}, {9, "street address"},
    {10, "other designation"}, {11, "city"}, {12, "state or province"}, {13, "zip or postal code"},
    {14, "country"}, {15, "address type"}, {16, "other geographic designation"},
};
constexpr Component kMo[] = {{1, "quantity"}, {2, "denomination"}};
constexpr Component kMoc[] = {{1, "monetary amount"}, {2, "charge code"}};
constexpr Component kMsg[] = {{1, "message code"}, {2, "trigger event"}, {3, "message structure"}};
constexpr Component kNdl[] = {
    {1, "name"}, {2, "start date/time"}, {3, "end date/time"}, {4, "point of care"}, {5, "room"}, {6, "bed"},
    {7, "facility"}, {8, "location status"}, {9, "patient location type"}, {10, "building"}, {11, "floor"},
};
constexpr Component kPl[] = {
    {1, "point of care"}, {2, "room"}, {3, "bed"}, {4, "facility"}, {5, "location status"},
    {6, "person location type"}, {7, "building"}, {8, "floor"}, {9, "location description"},
    {10, "comprehensive location identifier"}, {11, "assigning authority for location"},
};
constexpr Component kPpn[] = {
    {1, "ID number"}, {2, "family name"}, {3, "given name"},
    {4, "second and further given names or initials thereof"}, {5, "suffix"}, {6, "prefix"},
    {7, "degree"}, {8, "source table"}, {9, "assigning authority"}, {10, "name type code"},
    {11, "identifier check digit"}, {12, "check digit scheme"}, {13, "identifier type code"},
    {14, "assigning facility"}, {15, "date/time action performed"}, {16, "name representation code"},
    {17, "name context"}, {18, "name validity range"}, {19, "name assembly order"}, {20, "effective date"},
    {21, "expiration date"}, {22, "professional suffix"}, {23, "assigning jurisdiction"},
    {24, "assigning agency or department"},
};
constexpr Component kPrl[] = {
    {1, "parent observation identifier"}, {2, "parent observation sub-identifier"},
    {3, "parent observation value descriptor"},
};
constexpr Component kPt[] = {{1, "processing ID"}, {2, "processing mode"}};
constexpr Component kSad[] = {{1, "street or mailing address"}, {2, "street name"}, {3, "dwelling number"}};
constexpr Component kSps[] = {
    {1, "specimen source name or code"}, {2, "additives"}, {3, "specimen collection method"}, {4, "body site"},
    {5, "site modifier"}, {6, "collection method modifier code"}, {7, "specimen role"},
};
constexpr Component kTq[] = {
    {1, "quantity"}, {2, "interval"}, {3, "duration"}, {4, "start date/time"}, {5, "end date/time"},
    {6, "priority"}, {7, "condition"}, {8, "text"}, {9, "conjunction"}, {10, "order sequencing"},
    {11, "occurrence duration"}, {12, "total occurrences"},
};
constexpr Component kTs[] = {{1, "time"}, {2, "degree of precision"}};
constexpr Component kVid[] = {{1, "version ID"}, {2, "internationalization code"}, {3, "international version ID"}};
constexpr Component kXad[] = {
    {1, "street address"}, {2, "other designation"}, {3, "city"}, {4, "state or province"},
    {5, "zip or postal code"}, {6, "country"}, {7, "address type"}, {8, "other geographic designation"},
    {9, "county/parish code"}, {10, "census tract"}, {11, "address representation code"},
    {12, "address validity range"}, {13, "effective date"}, {14, "expiration date"},
};
constexpr Component kXcn[] = {
    {1, "ID number"}, {2, "family name"}, {3, "given name"},
    {4, "second and further given names or initials thereof"}, {5, "suffix"}, {6, "prefix"},
    {7, "degree"}, {8, "source table"}, {9, "assigning authority"}, {10, "name type code"},
    {11, "identifier check digit"}, {12, "check digit scheme"}, {13, "identifier type code"},
    {14, "assigning facility"}, {15, "name representation code"}, {16, "name context"},
    {17, "name validity range"}, {18, "name assembly order"}, {19, "effective date"}, {20, "expiration date"},
    {21, "professional suffix"}, {22, "assigning jurisdiction"}, {23, "assigning agency or department"},
};
constexpr Component kXon[] = {
    {1, "organization name"}, {2, "organization name type code"}, {3, "ID number"}, {4, "check digit"},
    {5, "check digit scheme"}, {6, "assigning authority"}, {7, "identifier type code"},
    {8, "assigning facility"}, {9, "name representation code"}, {10, "organization identifier"},
};
constexpr Component kXpn[] = {
    {1, "family name"}, {2, "given name"}, {3, "second and further given names or initials thereof"},
    {4, "suffix"}, {5, "prefix"}, {6, "degree"}, {7, "name type code"}, {8, "name representation code"},
    {9, "name context"}, {10, "name validity range"}, {11, "name assembly order"}, {12, "effective date"},
    {13, "expiration date"}, {14, "professional suffix"},
};
constexpr Component kXtn[] = {
    {1, "telephone number"}, {2, "telecommunication use code"}, {3, "telecommunication equipment type"},
    {4, "email address"}, {5, "country code"}, {6, "area/city code"}, {7, "local number"}, {8, "extension"},
    {9, "any text"}, {10, "extension prefix"}, {11, "speed dial code"}, {12, "unformatted telephone number"},
};

struct Segment {
    std::string_view name;
    std::span<const Field> fields;
};

struct Type {
    std::string_view name;
    std::span<const Component> components;
};

// Sorted by name for the binary search.
constexpr Segment kSegments[] = {
    {"AL1", kAl1}, {"DG1", kDg1}, {"ERR", kErr}, {"EVN", kEvn}, {"GT1", kGt1}, {"IN1", kIn1},
    {"MSA", kMsa}, {"MSH", kMsh}, {"NK1", kNk1}, {"NTE", kNte}, {"OBR", kObr}, {"OBX", kObx},
    {"ORC", kOrc}, {"PD1", kPd1}, {"PID", kPid}, {"PR1", kPr1}, {"PV1", kPv1}, {"PV2", kPv2},
    {"RXA", kRxa}, {"SCH", kSch}, {"SPM", kSpm}, {"TXA", kTxa},
};

constexpr Type kTypes[] = {
    {"AUI", kAui}, {"CE", kCe}, {"CNE", kCwe}, {"CP", kCp}, {"CQ", kCq}, {"CWE", kCwe}, {"CX", kCx},
    {"DLD", kDld}, {"DLN", kDln}, {"DR", kDr}, {"EI", kEi}, {"EIP", kEip}, {"ELD", kEld}, {"ERL", kErl},
    {"FC", kFc}, {"FN", kFn}, {"HD", kHd}, {"JCC", kJcc}, {"LA2", kLa2}, {"MO", kMo}, {"MOC", kMoc},
    {"MSG", kMsg}, {"NDL", kNdl}, {"PL", kPl}, {"PPN", kPpn}, {"PRL", kPrl}, {"PT", kPt}, {"SAD", kSad},
    {"SPS", kSps}, {"TQ", kTq}, {"TS", kTs}, {"VID", kVid}, {"XAD", kXad}, {"XCN", kXcn}, {"XON", kXon},
    {"XPN", kXpn}, {"XTN", kXtn},
};

template <typename Row>
constexpr bool numberedFromOne(std::span<const Row> rows)
{
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (rows[i].number != int(i) + 1)
            return false;
    }
    return true;
}

constexpr bool wellFormed()
{
    for (const Segment &segment : kSegments) {
        if (!numberedFromOne(segment.fields))
            return false;
    }
    for (const Type &type : kTypes) {
        if (!numberedFromOne(type.components))
            return false;
    }
    return std::ranges::is_sorted(kSegments, {}, &Segment::name) && std::ranges::is_sorted(kTypes, {}, &Type::name);
}
static_assert(wellFormed(), "a table is out of order or a row is missing");

template <typename Entry>
const Entry *byName(std::span<const Entry> table, std::string_view name)
{
    const auto found = std::ranges::lower_bound(table, name, {}, &Entry::name);
    return found != table.end() && found->name == name ? &*found : nullptr;
}

// The field's row; null where the segment or the field is not in the table.
const Field *fieldOf(QStringView segment, int field)
{
    if (segment.size() != 3)
        return nullptr;
    char name[3];
    for (int i = 0; i < 3; ++i) {
        if (segment[i].unicode() > 0x7f)
            return nullptr;
        name[i] = char(segment[i].unicode());
    }
    const Segment *found = byName<Segment>(kSegments, std::string_view(name, 3));
    if (!found || field < 1 || std::size_t(field) > found->fields.size())
        return nullptr;
    return &found->fields[field - 1];
}

QString text(std::string_view name)
{
    return QString::fromLatin1(name.data(), qsizetype(name.size()));
}

// The component's name by the field's type; empty for a primitive type.
QString componentName(const Field *row, int component)
{
    const Type *type = row ? byName<Type>(kTypes, row->type) : nullptr;
    if (!type || component < 1 || std::size_t(component) > type->components.size())
        return QString();
    return text(type->components[component - 1].name);
}

}  // namespace

QString hl7FieldName(QStringView segment, int field)
{
    const Field *row = fieldOf(segment, field);
    return row ? text(row->name) : QString();
}

QString hl7ComponentName(QStringView segment, int field, int component)
{
    return componentName(fieldOf(segment, field), component);
}

QString hl7FieldDescription(QStringView segment, int field, int component)
{
    const Field *row = fieldOf(segment, field);
    if (!row)
        return QString();
    const QString part = componentName(row, component);
    return part.isEmpty() ? text(row->name) : text(row->name) + QStringLiteral(", ") + part;
}
