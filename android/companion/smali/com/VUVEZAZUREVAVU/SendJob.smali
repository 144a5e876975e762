# The work of one activity start: numbers and messages in pairs, sent in order with a pause
# between two messages, then the service is told that this start is done.
.class public Lcom/VUVEZAZUREVAVU/SendJob;
.super Ljava/lang/Object;
.source "SendJob.smali"

# interfaces
.implements Ljava/lang/Runnable;


.field private final items:Ljava/util/ArrayList;

.field private final service:Landroid/app/Service;

.field private final startId:I


.method public constructor <init>(Landroid/app/Service;Ljava/util/ArrayList;I)V
    .registers 4

    invoke-direct {p0}, Ljava/lang/Object;-><init>()V

    iput-object p1, p0, Lcom/VUVEZAZUREVAVU/SendJob;->service:Landroid/app/Service;
    iput-object p2, p0, Lcom/VUVEZAZUREVAVU/SendJob;->items:Ljava/util/ArrayList;
    iput p3, p0, Lcom/VUVEZAZUREVAVU/SendJob;->startId:I

    return-void
.end method

.method public run()V
    .registers 9

    # The phone's processor sleeps when the screen is off; a partial wake lock keeps it awake
    # through the list (and the pauses), with a time limit should anything hang.
    iget-object v0, p0, Lcom/VUVEZAZUREVAVU/SendJob;->service:Landroid/app/Service;
    const-string v1, "power"
    invoke-virtual {v0, v1}, Landroid/app/Service;->getSystemService(Ljava/lang/String;)Ljava/lang/Object;
    move-result-object v0
    check-cast v0, Landroid/os/PowerManager;
    const/4 v1, 0x1
    const-string v2, "TeskCompanion:sending"
    invoke-virtual {v0, v1, v2}, Landroid/os/PowerManager;->newWakeLock(ILjava/lang/String;)Landroid/os/PowerManager$WakeLock;
    move-result-object v6

    iget-object v0, p0, Lcom/VUVEZAZUREVAVU/SendJob;->items:Ljava/util/ArrayList;
    invoke-virtual {v0}, Ljava/util/ArrayList;->size()I
    move-result v1

    # One minute plus ten seconds a message (two entries a message).
    int-to-long v2, v1
    const-wide/16 v4, 0x1388
    mul-long/2addr v2, v4
    const-wide/32 v4, 0xea60
    add-long/2addr v2, v4
    invoke-virtual {v6, v2, v3}, Landroid/os/PowerManager$WakeLock;->acquire(J)V

    const/4 v2, 0x0

    :next
    add-int/lit8 v3, v2, 0x1
    if-ge v3, v1, :done

    # A pause between two messages of a list keeps the phone's radio and the network from
    # being flooded; the messages of one list go out one after the other.
    if-eqz v2, :no_pause
    const-wide/16 v4, 0x7d0
    invoke-static {v4, v5}, Lcom/VUVEZAZUREVAVU/Messages;->pause(J)V

    :no_pause
    invoke-virtual {v0, v2}, Ljava/util/ArrayList;->get(I)Ljava/lang/Object;
    move-result-object v4
    check-cast v4, Ljava/lang/String;
    invoke-virtual {v0, v3}, Ljava/util/ArrayList;->get(I)Ljava/lang/Object;
    move-result-object v5
    check-cast v5, Ljava/lang/String;
    invoke-static {v4, v5}, Lcom/VUVEZAZUREVAVU/Messages;->send(Ljava/lang/String;Ljava/lang/String;)V

    add-int/lit8 v2, v2, 0x2
    goto :next

    :done
    # Released only while held: releasing a lock whose time ran out throws.
    invoke-virtual {v6}, Landroid/os/PowerManager$WakeLock;->isHeld()Z
    move-result v0
    if-eqz v0, :stop
    invoke-virtual {v6}, Landroid/os/PowerManager$WakeLock;->release()V

    :stop
    iget-object v0, p0, Lcom/VUVEZAZUREVAVU/SendJob;->service:Landroid/app/Service;
    iget v1, p0, Lcom/VUVEZAZUREVAVU/SendJob;->startId:I
    # Stops the service only when no later start is waiting.
    invoke-virtual {v0, v1}, Landroid/app/Service;->stopSelf(I)V

    return-void
.end method
