/* Resource ids of Vistrel.dll. */
#ifndef VISTREL_CAPTURE_RESOURCE_H
#define VISTREL_CAPTURE_RESOURCE_H

#define IDB_TIPS     101  /* cursor readout panel, 184 x 44, 16 colours */
#define IDB_PALETTE  131  /* drawing tool palette, 348 x 51, 24 bits */

#endif
