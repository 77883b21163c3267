// Every PSI/SI table record and parser, for code that reads several kinds.
#pragma once

#include "broadcast/cdt_section.h"
#include "broadcast/dsmcc_section.h"
#include "broadcast/eit_section.h"
#include "broadcast/nit_section.h"
#include "broadcast/pat_section.h"
#include "broadcast/pmt_section.h"
#include "broadcast/sdt_section.h"
#include "broadcast/section_record.h"
#include "broadcast/time_sections.h"
